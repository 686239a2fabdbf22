#pragma once

#include <string>

namespace project {

// The program's version as "major.minor.revision", each number in decimal.
std::string VersionNumber(int major, int minor, int revision);

} // namespace project
