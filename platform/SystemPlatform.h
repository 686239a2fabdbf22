#pragma once

#include "Platform.h"

namespace platform {

// The real operating system: Win32 on Windows, the kernel and desktop services on Linux.
class SystemPlatform final : public Platform {
  public:
    std::optional<VersionNumbers> versionNumbers() override;
    void startShutdownCommand(std::string_view commandLine, int showCommand) override;
    void exitWindows(std::uint32_t flags, std::uint32_t reason) override;
};

} // namespace platform
