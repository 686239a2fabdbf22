#pragma once

#include <cstdint>

namespace tk {

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// The local time of day, to the second, and beside it the same system clock in UTC and a
// clock that only runs forward.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeOfDay timeOfDay() = 0;
    // Milliseconds since the epoch: setting the system time moves it, a change of the time
    // zone or of daylight-saving time does not.
    virtual std::int64_t utcMilliseconds() = 0;
    // Milliseconds from an arbitrary start. Setting the system time does not move it, and
    // where the system can tell, the time the machine sleeps does not count either.
    virtual std::int64_t monotonicMilliseconds() = 0;
};

class SystemClock final : public Clock {
public:
    TimeOfDay timeOfDay() override;
    std::int64_t utcMilliseconds() override;
    std::int64_t monotonicMilliseconds() override;
    // The same clock to the millisecond, counted from midnight.
    static int millisecondOfDay();
};

} // namespace tk
