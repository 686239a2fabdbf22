#pragma once

#include "Platform.h"

#include <string>
#include <vector>

namespace platform {

// Stands in for the operating system in tests: answers from its fields and records every
// request, so that nothing reaches the real system.
class RecordingPlatform final : public Platform {
  public:
    struct ShutdownCommand {
        std::string commandLine;
        int showCommand = 0;
    };
    struct ExitWindowsCall {
        std::uint32_t flags = 0;
        std::uint32_t reason = 0;
    };

    std::optional<VersionNumbers> version = VersionNumbers{6, 1};
    int versionQueries = 0;
    std::vector<ShutdownCommand> shutdownCommands;
    std::vector<ExitWindowsCall> exitWindowsCalls;

    std::optional<VersionNumbers> versionNumbers() override {
        ++versionQueries;
        return version;
    }
    void startShutdownCommand(std::string_view commandLine, int showCommand) override {
        shutdownCommands.push_back({std::string(commandLine), showCommand});
    }
    void exitWindows(std::uint32_t flags, std::uint32_t reason) override {
        exitWindowsCalls.push_back({flags, reason});
    }

    std::size_t powerOffRequests() const {
        return shutdownCommands.size() + exitWindowsCalls.size();
    }
};

} // namespace platform
