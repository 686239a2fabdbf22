#include "platform/SystemPlatform.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdlib>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

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

void SystemPlatform::startShutdownCommand(std::string_view, int) {
    // The system's shutdown program, by its absolute path, for an immediate power-off; it has
    // no window to show. Started from a grandchild so that no zombie is left and nothing waits
    // for it.
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            setsid();
            char program[] = "/sbin/shutdown";
            char powerOff[] = "-P";
            char now[] = "now";
            char* const arguments[] = {program, powerOff, now, nullptr};
            execv(program, arguments);
        }
        _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
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

} // namespace platform
