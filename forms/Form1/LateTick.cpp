#include "LateTick.h"

#include "TimeLeft.h"

#include <cstdlib>

namespace form1 {

namespace {

constexpr int Day = 86400;
constexpr std::int64_t Second = 1000;
constexpr std::int64_t Tolerance = Second;
constexpr std::int64_t LongestDelay = 60 * Second;

int SecondOfDay(const tk::TimeOfDay& time) {
    return (time.hours * 60 + time.minutes) * 60 + time.seconds;
}

tk::TimeOfDay TimeAt(int secondOfDay) {
    return {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60};
}

} // namespace

bool TargetPassedUnseen(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        const TickReading& last, const TickReading& now) {
    const std::int64_t elapsed = now.monotonic - last.monotonic;
    if (elapsed > LongestDelay || std::llabs(now.utc - last.utc - elapsed) > Tolerance)
        return false;
    const int from = SecondOfDay(last.time);
    // Forward from the last tick, across midnight if need be. A local clock put back, as at
    // the autumn change, went almost a whole day forward this way.
    const int advanced = (SecondOfDay(now.time) - from + Day) % Day;
    if (advanced > Day / 2) return false;
    for (int second = 1; second < advanced; ++second)
        if (TimeLeftText(hours, minutes, seconds, TimeAt((from + second) % Day)) == NoTimeLeft)
            return true;
    return false;
}

} // namespace form1
