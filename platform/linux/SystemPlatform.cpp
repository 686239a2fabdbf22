#include "platform/SystemPlatform.h"

#include <cstdlib>
#include <sys/utsname.h>

namespace platform {

std::optional<VersionNumbers> SystemPlatform::versionNumbers() {
    // The running kernel's release, such as "6.1.0-18-amd64", gives major 6 and minor 1.
    utsname name{};
    if (uname(&name) != 0) return std::nullopt;
    char* rest = nullptr;
    VersionNumbers numbers;
    numbers.major = std::strtoul(name.release, &rest, 10);
    if (*rest == '.') numbers.minor = std::strtoul(rest + 1, nullptr, 10);
    return numbers;
}

} // namespace platform
