#include "toolkit/Clock.h"

#include "Win32.h"

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

int SystemClock::millisecondOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

} // namespace tk
