#include "VersionNumber.h"

namespace project {

std::string VersionNumber(int major, int minor, int revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

} // namespace project
