#include "toolkit/Clock.h"

#include "Win32.h"

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

} // namespace tk
