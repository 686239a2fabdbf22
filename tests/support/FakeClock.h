#pragma once

#include "toolkit/Clock.h"

// A clock that tells the time of day and the monotonic reading the test sets.
class FakeClock final : public tk::Clock {
public:
    tk::TimeOfDay now{};
    std::int64_t monotonic = 0;
    tk::TimeOfDay timeOfDay() override { return now; }
    std::int64_t monotonicMilliseconds() override { return monotonic; }
};
