#include "toolkit/Clock.h"

#include <QTime>

#include <ctime>

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    const QTime now = QTime::currentTime();
    return TimeOfDay{now.hour(), now.minute(), now.second()};
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
