#pragma once

#include <string>
#include <string_view>

namespace form1 {

// The program's version as "major.minor.revision", such as "1.3.0".
std::string VersionNumber(int major, int minor, int revision);

// The line kept in Frame1: "Shutdown v1.3.0 - Windows version " and the Windows version
// text without its leading blanks.
std::string VersionLine(int major, int minor, int revision, std::string_view winVersion);

} // namespace form1
