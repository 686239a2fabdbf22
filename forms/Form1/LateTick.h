#pragma once

#include "toolkit/Clock.h"

#include <cstdint>
#include <string_view>

namespace form1 {

// What a tick reads: the time of day and, beside it, the monotonic clock.
struct TickReading {
    tk::TimeOfDay time;
    std::int64_t monotonic = 0; // milliseconds
};

// Whether the target second of the three field texts fell between the ticks `last` and
// `now`: some second after `last` and before `now` would have shown no time left. It counts
// only when the program was merely late: the time of day advanced as the monotonic clock
// did, within a second (a clock set past the target, or a machine that slept through it,
// does not count), and the ticks lie at most a minute apart.
bool TargetPassedUnseen(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        const TickReading& last, const TickReading& now);

} // namespace form1
