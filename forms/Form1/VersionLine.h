#pragma once

#include <string>
#include <string_view>

namespace form1 {

// The line kept in Frame1: "Shutdown v", the version number, " - Windows version " and the
// Windows version text without its leading blanks.
std::string VersionLine(int major, int minor, int revision, std::string_view winVersion);

} // namespace form1
