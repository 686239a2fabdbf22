#pragma once

namespace tk {

// How long after a multiple of its interval in the local time of day a timer ticks: late
// enough that the tick reads the new second, early enough that a second's first tick comes
// within a few milliseconds of its start.
inline constexpr int TickLag = 5;

// The wait from `millisecondOfDay` to a timer's next tick. The ticks keep to the clock's
// multiples of the interval (with an interval of 250 ms, its quarter seconds), whenever the
// timer was started and however late the last tick came.
constexpr int delayToNextTick(int millisecondOfDay, int interval) {
    const int sinceLastTick = ((millisecondOfDay - TickLag) % interval + interval) % interval;
    return interval - sinceLastTick;
}

} // namespace tk
