#pragma once

#include "toolkit/Layout.h"

#include <span>
#include <string_view>

namespace about {

// The author's home page: the caption of lblURL and the address opened when none is given.
inline constexpr std::string_view HomePage = "https://nodrell.example.org/";

extern const tk::WindowSpec Window;
std::span<const tk::ControlSpec> Controls();

} // namespace about
