#include "toolkit/Clock.h"

#include <windows.h>

namespace tk {

TimeOfDay SystemClock::timeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

std::int64_t SystemClock::utcMilliseconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG hundredNanoseconds =
        (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr ULONGLONG From1601To1970 = 116444736000000000ULL;
    return static_cast<std::int64_t>((hundredNanoseconds - From1601To1970) / 10000);
}

// QueryUnbiasedInterruptTime (Windows 7 and later, looked up at run time): a change of the
// system time leaves it alone, and the time the machine sleeps or hibernates does not count.
// Older systems have only GetTickCount, which counts that time too; there a machine that
// slept through its target is kept from acting on it by the minute that a late tick may be
// late at most.
std::int64_t SystemClock::monotonicMilliseconds() {
    using QueryUnbiasedInterruptTimeFn = BOOL(WINAPI*)(PULONGLONG);
    static const auto unbiasedTime = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<QueryUnbiasedInterruptTimeFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "QueryUnbiasedInterruptTime")))
                      : nullptr;
    }();
    ULONGLONG hundredNanoseconds = 0;
    if (unbiasedTime && unbiasedTime(&hundredNanoseconds))
        return static_cast<std::int64_t>(hundredNanoseconds / 10000);

    // GetTickCount starts again at 0 every 49.7 days; the ticks, four a second, see each
    // wrap and count it.
    static DWORD last = 0;
    static std::int64_t wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last) ++wraps;
    last = now;
    return (wraps << 32) + now;
}

int SystemClock::millisecondOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

} // namespace tk
