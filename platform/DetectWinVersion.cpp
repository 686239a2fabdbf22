#include "DetectWinVersion.h"

#include <exception>

namespace Module1 {

std::string WinVersion;

std::string_view ReleaseName(std::string_view numberPart) {
    const std::string_view prefix = numberPart.substr(0, 3);
    std::string_view name = prefix == "4.0" ? "Windows 95" : "Windows XP";
    if (prefix == "4.1") name = "Windows 98";
    if (prefix == "4.9") name = "Windows Me";
    if (prefix == "5.0") name = "Windows 2000";
    if (prefix == "5.1") name = "Windows XP";
    return name;
}

std::string WinVersionText(const std::optional<platform::VersionNumbers>& version) {
    if (!version) return std::string(WinVersionError);
    std::string text = std::to_string(version->major) + "." + std::to_string(version->minor);
    const std::string_view name = ReleaseName(text);
    text += "  ";
    text += name;
    return text;
}

void DetectWinVersion(platform::Platform& system) {
    // Any failure on the way ends in the error text; start-up goes on regardless.
    try {
        WinVersion = WinVersionText(system.versionNumbers());
    } catch (const std::exception&) {
        WinVersion = WinVersionError;
    }
}

} // namespace Module1
