#pragma once

#include "toolkit/Clock.h"

#include <string>
#include <string_view>

namespace form1 {

// The time left from `now` until the target time of day held in the three field texts, as
// "hh:mm:ss": the target minus now, modulo one day, worked out part by part with borrows.
// Any field text gives a well-formed result.
std::string TimeLeftText(std::string_view hours, std::string_view minutes, std::string_view seconds,
                         const tk::TimeOfDay& now);

// The time left in the target second.
inline constexpr std::string_view NoTimeLeft = "00:00:00";

} // namespace form1
