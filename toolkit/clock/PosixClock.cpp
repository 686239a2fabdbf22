#include "toolkit/Clock.h"

#include <ctime>

namespace tk {

namespace {

struct LocalTime {
    std::tm parts;
    long milliseconds;
};

// The system clock in local time. The time zone is looked up again once a second, not at
// every reading: each look-up checks /etc/localtime on disk, and a tick reads the clock two
// or three times. A new zone shows within the second.
LocalTime localNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    static std::time_t zoneChecked = -1;
    if (now.tv_sec != zoneChecked) {
        tzset();
        zoneChecked = now.tv_sec;
    }
    LocalTime local{};
    localtime_r(&now.tv_sec, &local.parts);
    local.milliseconds = now.tv_nsec / 1000000;
    return local;
}

} // namespace

TimeOfDay SystemClock::timeOfDay() {
    const std::tm parts = localNow().parts;
    return TimeOfDay{parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::int64_t SystemClock::utcMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// CLOCK_MONOTONIC: a change of the system time leaves it alone, and it stands still while
// the machine is suspended (CLOCK_BOOTTIME would not), so a target slept through is not
// taken for one the program was merely late for.
std::int64_t SystemClock::monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int SystemClock::millisecondOfDay() {
    const LocalTime local = localNow();
    return ((local.parts.tm_hour * 60 + local.parts.tm_min) * 60 + local.parts.tm_sec) * 1000 +
           static_cast<int>(local.milliseconds);
}

} // namespace tk
