#include "VersionLine.h"

#include "forms/shared/VersionNumber.h"

namespace form1 {

std::string VersionLine(int major, int minor, int revision, std::string_view winVersion) {
    const auto firstNonBlank = winVersion.find_first_not_of(' ');
    const std::string_view version = firstNonBlank == std::string_view::npos
                                         ? std::string_view{}
                                         : winVersion.substr(firstNonBlank);
    std::string line =
        "Shutdown v" + project::VersionNumber(major, minor, revision) + " - Windows version ";
    line += version;
    return line;
}

} // namespace form1
