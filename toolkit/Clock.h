#pragma once

namespace tk {

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// The local time of day, to the second.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeOfDay timeOfDay() = 0;
};

class SystemClock final : public Clock {
public:
    TimeOfDay timeOfDay() override;
    // The same clock to the millisecond, counted from midnight.
    static int millisecondOfDay();
};

} // namespace tk
