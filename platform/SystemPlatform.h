#pragma once

#include "Platform.h"

namespace platform {

// The real operating system: Win32 on Windows, the kernel and desktop services on Linux.
class SystemPlatform final : public Platform {
public:
    std::optional<VersionNumbers> versionNumbers() override;
};

} // namespace platform
