#pragma once

#include "Registry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

struct VersionNumbers {
    unsigned long major = 0;
    unsigned long minor = 0;
};

// What the system said to a power-off request: taken, or refused with its reason.
struct PowerOffAnswer {
    bool accepted = false;
    std::string reason; // the system's own words, for the user; empty when accepted
};
using PowerOffReply = std::function<void(const PowerOffAnswer&)>;

// How long a power-off route has to answer before its silence counts as a refusal.
inline constexpr int PowerOffAnswerMs = 10'000;

// The operating-system calls the program makes, so that tests can record them instead.
class Platform {
public:
    virtual ~Platform() = default;

    // The operating system's major and minor version. Nothing when the query cannot be made
    // at all; a query that runs but fails leaves both numbers 0.
    virtual std::optional<VersionNumbers> versionNumbers() = 0;

    // The two routes to a forced power-off. Each hands its answer to `reply` at most once, at
    // once or later from the event loop; the caller's window keeps ticking meanwhile. A route
    // may never answer: the caller gives it PowerOffAnswerMs.
    //
    // The command route: the system's own shutdown program, its window shown by
    // `showCommand`. `commandLine` is the Windows command line; on Linux the system's program
    // gets the equivalent arguments. The request is taken when the program ends with status
    // 0 and refused with any other. A program that goes on running is reaped once it ends.
    virtual void startShutdownCommand(std::string_view commandLine, int showCommand,
                                      PowerOffReply reply) = 0;

    // The call route: ExitWindowsEx, or on Linux the login manager's PowerOff.
    virtual void exitWindows(std::uint32_t flags, std::uint32_t reason, PowerOffReply reply) = 0;

    // The registry, read through the ANSI calls RegOpenKeyExA, RegQueryValueExA and
    // RegCloseKey; each returns the call's result, registry::Success or an error code. The
    // query writes at most `size` bytes (no more than data.size()) into `data` and leaves the
    // value's type and length in `type` and `size`; a longer value fails with
    // registry::MoreData.
    virtual long openRegistryKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                                 registry::Key& key) = 0;
    virtual long queryRegistryValue(registry::Key key, std::string_view valueName,
                                    std::uint32_t& type, std::span<std::uint8_t> data,
                                    std::uint32_t& size) = 0;
    virtual void closeRegistryKey(registry::Key key) = 0;

    // A run of look-ups that belong together, such as the two of the System Info button: a
    // registry kept in a file is read once, at the start of the outermost run, and answers
    // every look-up until its end. Runs nest. The Windows registry needs nothing of this.
    virtual void beginRegistryLookups() {}
    virtual void endRegistryLookups() {}

    // Whether an ordinary file lies at `path`: not a directory, and on Windows neither
    // hidden nor a system file.
    virtual bool fileExists(std::string_view path) = 0;

    // Starts the program at `path` (the path alone, no arguments) without waiting for it,
    // its window shown by `showCommand`. False when it cannot be started.
    virtual bool startProgram(std::string_view path, int showCommand) = 0;

    // Hands the address to the shell for its default action (ShellExecuteA with no verb),
    // on Linux to the desktop's opener. False when Linux has no opener to start; what the
    // opener does with the address is not reported back. Windows does not look at the
    // shell's answer and says true.
    virtual bool openInShell(std::string_view address) = 0;
};

// Holds a run of registry look-ups open while it lives.
class RegistryLookups {
public:
    explicit RegistryLookups(Platform& system) : system_(system) { system_.beginRegistryLookups(); }
    ~RegistryLookups() { system_.endRegistryLookups(); }
    RegistryLookups(const RegistryLookups&) = delete;
    RegistryLookups& operator=(const RegistryLookups&) = delete;

private:
    Platform& system_;
};

} // namespace platform
