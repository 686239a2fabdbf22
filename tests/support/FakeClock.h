#pragma once

#include "toolkit/Clock.h"

// A clock that tells the time of day the test sets.
class FakeClock final : public tk::Clock {
public:
    tk::TimeOfDay now{};
    tk::TimeOfDay timeOfDay() override { return now; }
};
