#pragma once

#include "toolkit/Clock.h"

#include <ctime>

// A clock that tells the time of day and the monotonic reading the test sets. Its UTC clock
// runs with the monotonic one, apart from what the test adds by setting the clock by hand or
// letting the machine sleep.
class FakeClock final : public tk::Clock {
public:
    tk::TimeOfDay now{};
    std::int64_t monotonic = 0;
    std::int64_t utcAhead = 0;
    tk::TimeOfDay timeOfDay() override { return now; }
    std::int64_t utcMilliseconds() override { return monotonic + utcAhead; }
    std::int64_t monotonicMilliseconds() override { return monotonic; }

    // Runs on to `utc` (milliseconds since the epoch) as a machine that stays awake does, with
    // the time of day of the time zone in TZ.
    void runTo(std::int64_t utc) {
        monotonic += utc - utcMilliseconds();
        const std::time_t seconds = utc / 1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        now = {local.tm_hour, local.tm_min, local.tm_sec};
    }
};
