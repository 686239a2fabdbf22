#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

struct VersionNumbers {
    unsigned long major = 0;
    unsigned long minor = 0;
};

// The operating-system calls the program makes, so that tests can record them instead.
class Platform {
  public:
    virtual ~Platform() = default;

    // The operating system's major and minor version. Nothing when the query cannot be made
    // at all; a query that runs but fails leaves both numbers 0.
    virtual std::optional<VersionNumbers> versionNumbers() = 0;

    // The command route to a forced power-off: the system's own shutdown program, started
    // without waiting, its window shown by `showCommand`. `commandLine` is the Windows
    // command line; on Linux the system's program gets the equivalent arguments.
    virtual void startShutdownCommand(std::string_view commandLine, int showCommand) = 0;

    // The call route: ExitWindowsEx, or on Linux the login manager's power-off.
    virtual void exitWindows(std::uint32_t flags, std::uint32_t reason) = 0;
};

} // namespace platform
