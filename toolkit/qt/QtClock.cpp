#include "toolkit/Clock.h"

#include <QTime>

#include <ctime>

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    // The time zone is looked up again once a second, not at every reading: each look-up
    // checks /etc/localtime on disk, and a tick reads the clock once or twice. A new zone
    // shows within the second.
    static std::time_t zoneChecked = -1;
    if (now.tv_sec != zoneChecked) {
        tzset();
        zoneChecked = now.tv_sec;
    }
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
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
    return QTime::currentTime().msecsSinceStartOfDay();
}

} // namespace tk
