#pragma once

#include "Platform.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Stands in for the operating system in tests: answers from its fields and records every
// request, so that nothing reaches the real system.
class RecordingPlatform : public Platform {
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
    // Each route takes every request, unless its refusal is set: then it refuses with that
    // reason. The answer comes at once, unless answers are held: then each reply waits in
    // `heldReplies` for the test to give it, or never.
    std::optional<std::string> shutdownCommandRefusal;
    std::optional<std::string> exitWindowsRefusal;
    bool holdAnswers = false;
    std::vector<PowerOffReply> heldReplies;

    std::optional<VersionNumbers> versionNumbers() override {
        ++versionQueries;
        return version;
    }
    void startShutdownCommand(std::string_view commandLine, int showCommand,
                              PowerOffReply reply) override {
        shutdownCommands.push_back({std::string(commandLine), showCommand});
        answer(shutdownCommandRefusal, std::move(reply));
    }
    void exitWindows(std::uint32_t flags, std::uint32_t reason, PowerOffReply reply) override {
        exitWindowsCalls.push_back({flags, reason});
        answer(exitWindowsRefusal, std::move(reply));
    }

    std::size_t powerOffRequests() const {
        return shutdownCommands.size() + exitWindowsCalls.size();
    }

    // The registry below HKEY_LOCAL_MACHINE: keys by path, values by name. Like that root
    // for an ordinary user it is read only: asking for more than reading is refused.
    std::map<std::string, std::map<std::string, registry::Value>> machineKeys;
    struct KeyOpening {
        std::uint32_t root = 0;
        std::string subKey;
        std::uint32_t access = 0;
    };
    struct ValueQuery {
        std::string subKey;
        std::string valueName;
        std::uint32_t sizeOffered = 0;
    };
    std::vector<KeyOpening> keysOpened;
    std::vector<ValueQuery> valuesQueried;
    int keysClosed = 0;

    // Ordinary files that exist, and the paths tested.
    std::set<std::string> files;
    std::vector<std::string> filesTested;

    struct ProgramStart {
        std::string path;
        int showCommand = 0;
    };
    bool startSucceeds = true;
    std::vector<ProgramStart> programsStarted; // every attempt, also one that fails
    std::vector<std::string> addressesOpened;
    bool shellOpens = true; // false: as a Linux desktop without an opener

    std::size_t openKeyCount() const { return openKeys_.size(); }

    long openRegistryKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                         registry::Key& key) override {
        keysOpened.push_back({root, std::string(subKey), access});
        if (root != registry::LocalMachine) return registry::FileNotFound;
        if (registry::asksMoreThanReading(access)) return registry::AccessDenied;
        if (machineKeys.find(std::string(subKey)) == machineKeys.end())
            return registry::FileNotFound;
        key = nextKey_++;
        openKeys_[key] = std::string(subKey);
        return registry::Success;
    }
    long queryRegistryValue(registry::Key key, std::string_view valueName, std::uint32_t& type,
                            std::span<std::uint8_t> data, std::uint32_t& size) override {
        const auto open = openKeys_.find(key);
        if (open == openKeys_.end()) return registry::InvalidHandle;
        valuesQueried.push_back({open->second, std::string(valueName), size});
        const auto& values = machineKeys.at(open->second);
        const auto value = values.find(std::string(valueName));
        if (value == values.end()) return registry::FileNotFound;
        return registry::copyValue(value->second, type, data, size);
    }
    void closeRegistryKey(registry::Key key) override {
        ++keysClosed;
        openKeys_.erase(key);
    }
    bool fileExists(std::string_view path) override {
        filesTested.emplace_back(path);
        return files.count(std::string(path)) != 0;
    }
    bool startProgram(std::string_view path, int showCommand) override {
        programsStarted.push_back({std::string(path), showCommand});
        return startSucceeds && !path.empty();
    }
    bool openInShell(std::string_view address) override {
        addressesOpened.emplace_back(address);
        return shellOpens;
    }

private:
    void answer(const std::optional<std::string>& refusal, PowerOffReply reply) {
        if (holdAnswers)
            heldReplies.push_back(std::move(reply));
        else
            reply(refusal ? PowerOffAnswer{false, *refusal} : PowerOffAnswer{true, {}});
    }

    std::map<registry::Key, std::string> openKeys_;
    registry::Key nextKey_ = 0x100;
};

} // namespace platform
