#include "platform/SystemPlatform.h"

#include "MachineReg.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>

#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <sys/utsname.h>

namespace platform {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The machine's export, from the first place that has one that can be read; nothing when there
// is none or that one is no well-formed export.
std::optional<RegFileStore> machineStore() {
    return loadMachineStore(machineRegCandidates(std::getenv("XDG_CONFIG_DIRS"), "/proc/self/exe"));
}

// The export read at the start of the outermost run of look-ups, which answers all of them.
struct LookupRun {
    int depth = 0;
    std::optional<RegFileStore> store;
};

LookupRun& lookupRun() {
    static LookupRun run;
    return run;
}

// The values of the keys that are open, by handle.
std::map<registry::Key, RegValues>& openKeys() {
    static std::map<registry::Key, RegValues> keys;
    return keys;
}

PowerOffAnswer refused(const QString& reason) {
    return PowerOffAnswer{false, reason.toStdString()};
}

// The system bus, connected anew when the connection broke: a bus restarted since the last
// request, or none at the time, is found again.
QDBusConnection systemBus() {
    static const QString name = QStringLiteral("nodrell-system-bus");
    if (QDBusConnection bus(name); bus.isConnected()) return bus;
    QDBusConnection::disconnectFromBus(name);
    return QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
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

void SystemPlatform::startShutdownCommand(std::string_view, int, PowerOffReply reply) {
    // The system's shutdown program, by its absolute path, for an immediate power-off; it has
    // no window to show. It has taken the request when it ends with status 0. The process
    // object goes once the program has ended, however late, so that it is reaped; one still
    // running when this program ends is left to run.
    static const QString program = QStringLiteral("/sbin/shutdown");
    auto* shutdown = new QProcess;
    shutdown->setStandardInputFile(QProcess::nullDevice());
    shutdown->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(
        shutdown, &QProcess::errorOccurred, [shutdown, reply](QProcess::ProcessError error) {
            // Every other error comes with the end of the process, which answers.
            if (error != QProcess::FailedToStart) return;
            reply(refused(program + " could not be started: " + shutdown->errorString()));
            shutdown->deleteLater();
        });
    QObject::connect(
        shutdown, &QProcess::finished, [shutdown, reply](int status, QProcess::ExitStatus exit) {
            const QString said = QString::fromLocal8Bit(shutdown->readAllStandardError()).trimmed();
            if (exit == QProcess::CrashExit)
                reply(refused(program + " was ended by a signal"));
            else if (status != 0)
                reply(refused(program + " ended with exit status " + QString::number(status) +
                              (said.isEmpty() ? QString() : ": " + said)));
            else
                reply(PowerOffAnswer{true, {}});
            shutdown->deleteLater();
        });
    shutdown->start(program, {QStringLiteral("-P"), QStringLiteral("now")});
}

void SystemPlatform::exitWindows(std::uint32_t, std::uint32_t, PowerOffReply reply) {
    // The login manager powers off, closing the session's programs. Its answer comes through
    // the event loop; one that takes longer than the caller waits comes as an error.
    QDBusConnection bus = systemBus();
    if (!bus.isConnected()) {
        reply(refused("No system bus: " + bus.lastError().message()));
        return;
    }
    QDBusMessage powerOff =
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PowerOff");
    powerOff << false; // not interactive: no questions asked
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(powerOff, PowerOffAnswerMs));
    QObject::connect(
        call, &QDBusPendingCallWatcher::finished, [reply](QDBusPendingCallWatcher* answered) {
            if (answered->isError()) {
                const QDBusError error = answered->error();
                reply(refused("The login manager did not power off: " + error.message() + " (" +
                              error.name() + ")"));
            } else {
                reply(PowerOffAnswer{true, {}});
            }
            answered->deleteLater();
        });
}

void SystemPlatform::beginRegistryLookups() {
    // Counted once read: a read that fails by an exception leaves no run open.
    if (lookupRun().depth == 0) lookupRun().store = machineStore();
    ++lookupRun().depth;
}

void SystemPlatform::endRegistryLookups() {
    if (--lookupRun().depth == 0) lookupRun().store.reset();
}

long SystemPlatform::openRegistryKey(std::uint32_t root, std::string_view subKey,
                                     std::uint32_t access, registry::Key& key) {
    // Outside a run, each look-up reads the export for itself.
    const LookupRun& run = lookupRun();
    const std::optional<RegFileStore> own = run.depth > 0 ? std::nullopt : machineStore();
    const std::optional<RegFileStore>& store = run.depth > 0 ? run.store : own;
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
    return QProcess::startDetached(QString::fromStdString(std::string(path)), {});
}

bool SystemPlatform::openInShell(std::string_view address) {
    // The desktop's opener, found through PATH, picks the program for the address: the web
    // browser for a web page. Whether that program then comes up is the opener's to tell.
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {QString::fromStdString(std::string(address))});
}

} // namespace platform
