#include "platform/SystemPlatform.h"

#include "RegFileStore.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The machine's export, from the first place that has one; nothing when that file cannot be
// read or is no well-formed export.
std::optional<RegFileStore> machineStore() {
    for (const std::string& path :
         machineRegCandidates(std::getenv("XDG_CONFIG_DIRS"), "/proc/self/exe")) {
        if (!isRegularFile(path)) continue;
        std::ifstream file(path, std::ios::binary);
        if (!file.is_open()) return std::nullopt;
        std::ostringstream contents;
        contents << file.rdbuf();
        return RegFileStore::parse(contents.str());
    }
    return std::nullopt;
}

// The values of the keys that are open, by handle.
std::map<registry::Key, RegValues>& openKeys() {
    static std::map<registry::Key, RegValues> keys;
    return keys;
}

// The program's absolute path as found through PATH, or nothing.
std::optional<std::string> findInPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const auto end = dirs.find(':');
        const std::string_view dir = dirs.substr(0, end);
        if (!dir.empty() && dir.front() == '/') {
            const std::string candidate = std::string(dir) + "/" + std::string(name);
            if (isRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        if (end == std::string_view::npos) break;
        dirs.remove_prefix(end + 1);
    }
    return std::nullopt;
}

// Runs the program at arguments[0], with those arguments and no shell, in a grandchild of its
// own session: nothing waits for it and no zombie stays behind. A pipe that the successful
// exec closes tells whether it runs.
bool startDetached(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            execv(argv[0], argv.data());
        }
        // Here only when the exec or the second fork failed.
        if (grandchild <= 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t written = write(report[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(report[1]);
    if (child < 0) {
        close(report[0]);
        return false;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == 0;
}

} // namespace

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

void SystemPlatform::startShutdownCommand(std::string_view, int) {
    // The system's shutdown program, by its absolute path, for an immediate power-off; it has
    // no window to show. Like the Windows routes, a failed start goes unreported.
    startDetached({"/sbin/shutdown", "-P", "now"});
}

void SystemPlatform::exitWindows(std::uint32_t, std::uint32_t) {
    // The login manager powers off, closing the session's programs. The message is sent
    // without waiting for its answer, which could take half a minute; without a system bus
    // nothing happens.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusMessage powerOff =
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PowerOff");
    powerOff << false; // not interactive: no questions asked
    bus.send(powerOff);
}

long SystemPlatform::openRegistryKey(std::uint32_t root, std::string_view subKey,
                                     std::uint32_t access, registry::Key& key) {
    const std::optional<RegFileStore> store = machineStore();
    if (!store) return registry::FileNotFound;
    RegValues values;
    const long result = store->openKey(root, subKey, access, values);
    if (result != registry::Success) return result;
    static registry::Key next = 1;
    key = next++;
    openKeys()[key] = std::move(values);
    return registry::Success;
}

long SystemPlatform::queryRegistryValue(registry::Key key, std::string_view valueName,
                                        std::uint32_t& type, std::span<std::uint8_t> data,
                                        std::uint32_t& size) {
    const auto open = openKeys().find(key);
    if (open == openKeys().end()) return registry::InvalidHandle;
    return queryValue(open->second, valueName, type, data, size);
}

void SystemPlatform::closeRegistryKey(registry::Key key) {
    openKeys().erase(key);
}

bool SystemPlatform::fileExists(std::string_view path) {
    return isRegularFile(std::string(path));
}

bool SystemPlatform::startProgram(std::string_view path, int) {
    // The path names the program itself; it is never handed to a shell. Its window is the
    // desktop's to show.
    if (path.empty()) return false;
    return startDetached({std::string(path)});
}

void SystemPlatform::openInShell(std::string_view address) {
    // The desktop's opener picks the program for the address: the web browser for a web page.
    if (const auto opener = findInPath("xdg-open")) startDetached({*opener, std::string(address)});
}

} // namespace platform
