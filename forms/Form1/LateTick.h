#pragma once

#include "toolkit/Clock.h"

#include <cstdint>
#include <string_view>

namespace form1 {

// What a tick reads: the local time of day and, beside it, the system clock in UTC and the
// monotonic clock, in milliseconds.
struct TickReading {
    tk::TimeOfDay time;
    std::int64_t utc = 0;
    std::int64_t monotonic = 0;
};

// Whether the target second of the three field texts fell between the ticks `last` and
// `now`: some local second after `last` and before `now` would have shown no time left. It
// counts only when the program was merely late: the ticks lie at most a minute apart and the
// UTC clock advanced as the monotonic clock did, within a second (a clock set past the target,
// or a machine that slept through it, does not count). The local clock may have jumped
// forward meanwhile, as at the spring change of daylight-saving time; a jump back leaves
// nothing passed.
bool TargetPassedUnseen(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        const TickReading& last, const TickReading& now);

} // namespace form1
