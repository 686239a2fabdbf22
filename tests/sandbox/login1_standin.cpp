// nodrell-login1-standin ADDRESS LOG accept|refuse|silent
//
// Stands in for the login manager on the power-off tests' private bus at ADDRESS: owns
// org.freedesktop.login1 and answers org.freedesktop.login1.Manager.PowerOff, taking or
// refusing the request as told, or never answering it. It powers off nothing: it appends one line for each call to
// LOG, "<seconds since the epoch> PowerOff <interactive>", and prints "ready" once it owns
// the name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QFile>

#include <cstdio>

namespace {

constexpr auto Interface = "org.freedesktop.login1.Manager";

class Login1 final : public QDBusVirtualObject {
public:
    Login1(QString log, QString answer) : log_(std::move(log)), answer_(std::move(answer)) {}

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.interface() != Interface || message.member() != "PowerOff") return false;
        const QList<QVariant> arguments = message.arguments();
        const QString interactive =
            arguments.size() == 1 && arguments[0].typeId() == QMetaType::Bool
                ? (arguments[0].toBool() ? "true" : "false")
                : "unexpected-arguments";
        QFile file(log_);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000;
            file.write(QString("%1 PowerOff %2\n").arg(now, 0, 'f', 3).arg(interactive).toUtf8());
        }
        if (answer_ == "accept")
            bus.send(message.createReply());
        else if (answer_ == "refuse")
            bus.send(message.createErrorReply("org.freedesktop.DBus.Error.AccessDenied",
                                              "The stand-in refuses to power off"));
        return true;
    }

    QString introspect(const QString&) const override {
        return QString("<interface name=\"%1\"><method name=\"PowerOff\">"
                       "<arg type=\"b\" direction=\"in\"/></method></interface>")
            .arg(Interface);
    }

private:
    QString log_;
    QString answer_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4 || !QStringList{"accept", "refuse", "silent"}.contains(args[3])) {
        std::fputs("usage: nodrell-login1-standin ADDRESS LOG accept|refuse|silent\n", stderr);
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(args[1], "login1");
    Login1 login1(args[2], args[3]);
    if (!bus.isConnected() || !bus.registerVirtualObject("/org/freedesktop/login1", &login1) ||
        !bus.registerService("org.freedesktop.login1")) {
        std::fprintf(stderr, "nodrell-login1-standin: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
