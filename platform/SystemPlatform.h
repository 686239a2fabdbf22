#pragma once

#include "Platform.h"

namespace platform {

// The real operating system: Win32 on Windows, the kernel and desktop services on Linux.
class SystemPlatform final : public Platform {
public:
    std::optional<VersionNumbers> versionNumbers() override;
    void startShutdownCommand(std::string_view commandLine, int showCommand,
                              PowerOffReply reply) override;
    void exitWindows(std::uint32_t flags, std::uint32_t reason, PowerOffReply reply) override;

    // On Linux the registry is the read-only export nodrell/machine.reg, taken from the first
    // place that has one that can be read (the directories of XDG_CONFIG_DIRS, /etc/xdg, then
    // etc/xdg of the install the program runs from), read once for a run of look-ups and
    // otherwise at every opening of a key; a missing or malformed file holds no keys.
    void beginRegistryLookups() override;
    void endRegistryLookups() override;
    long openRegistryKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                         registry::Key& key) override;
    long queryRegistryValue(registry::Key key, std::string_view valueName, std::uint32_t& type,
                            std::span<std::uint8_t> data, std::uint32_t& size) override;
    void closeRegistryKey(registry::Key key) override;
    bool fileExists(std::string_view path) override;
    bool startProgram(std::string_view path, int showCommand) override;
    bool openInShell(std::string_view address) override;
};

} // namespace platform
