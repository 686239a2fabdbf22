#pragma once

#include <string_view>

// The project settings that the windows read.
namespace project {

inline constexpr std::string_view Title = "Nodrell";
inline constexpr int Major = 1;
inline constexpr int Minor = 3;
inline constexpr int Revision = 0;

} // namespace project
