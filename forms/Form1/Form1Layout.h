#pragma once

#include "toolkit/Layout.h"

#include <span>

namespace form1 {

extern const tk::WindowSpec Window;
std::span<const tk::ControlSpec> Controls();

} // namespace form1
