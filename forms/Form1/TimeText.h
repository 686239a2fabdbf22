#pragma once

#include "toolkit/Clock.h"

#include <string>

namespace form1 {

// A time of day as "hh:mm:ss", 24-hour clock, two digits each.
std::string FormatTime(const tk::TimeOfDay& time);

} // namespace form1
