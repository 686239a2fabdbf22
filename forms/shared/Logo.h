#pragma once

#include <string_view>

namespace project {

// What screen readers call the two pictures of the logo that both windows show: Logo1 and
// Logo2.
inline constexpr std::string_view MoonPicture = "Moon and stars";
inline constexpr std::string_view PowerPicture = "Power symbol";

} // namespace project
