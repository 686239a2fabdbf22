#include "VersionLine.h"

namespace form1 {

std::string VersionNumber(int major, int minor, int revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string VersionLine(int major, int minor, int revision, std::string_view winVersion) {
    const auto firstNonBlank = winVersion.find_first_not_of(' ');
    const std::string_view version = firstNonBlank == std::string_view::npos
                                         ? std::string_view{}
                                         : winVersion.substr(firstNonBlank);
    std::string line = "Shutdown v" + VersionNumber(major, minor, revision) + " - Windows version ";
    line += version;
    return line;
}

} // namespace form1
