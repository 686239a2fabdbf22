#include "toolkit/Program.h"

#include "Keyboard.h"
#include "QtAccessible.h"
#include "QtDrawing.h"
#include "QtWindow.h"

#include <QApplication>
#include <QMessageBox>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tk {

namespace {
QApplication* application = nullptr;
} // namespace

Application::Application(int& argc, char** argv, std::string_view desktopId) {
    // Wayland hands it to the desktop as the windows' app id. On X11 the windows' class is
    // the program file's name, which the desktop entry names as StartupWMClass.
    QGuiApplication::setDesktopFileName(qt::toQString(desktopId));
    application = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    qt::watchKeyboard();
    qt::describeWindowsToScreenReaders();
}

Application::~Application() {
    delete application;
    application = nullptr;
}

int Application::run() {
    return QApplication::exec();
}

namespace {

// Whether the X server of a local display such as ":0" or ":0.0" takes connections. Displays
// on other hosts are left to the toolkit.
bool localXServerAnswers(const std::string& display) {
    if (display.empty() || display.front() != ':') return true;
    const std::string number = display.substr(1, display.find('.') - 1);
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0; // abstract names start with a zero byte
        if (path.size() + offset >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path + offset, path.data(), path.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        close(fd);
        if (connected) return true;
    }
    return false;
}

} // namespace

std::optional<std::string> missingDisplay() {
    const auto value = [](const char* name) {
        const char* text = std::getenv(name);
        return std::string(text ? text : "");
    };
    // A chosen platform plugin (offscreen, for one) needs no display.
    if (!value("QT_QPA_PLATFORM").empty() || !value("WAYLAND_DISPLAY").empty()) return std::nullopt;
    const std::string display = value("DISPLAY");
    if (display.empty()) return "no graphical display: DISPLAY is not set";
    if (!localXServerAnswers(display))
        return "no graphical display: nothing answers on DISPLAY " + display;
    return std::nullopt;
}

// Qt draws its widgets in the desktop's style by itself: there is nothing to register.
void initCommonControls() {}

void showMessageBox(std::string_view text, std::string_view title, MsgIcon icon) {
    QWidget* beneath = qt::activeForm();
    QMessageBox box(icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    qt::toQString(title), qt::toQString(text), QMessageBox::Ok, beneath);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    qt::spendHeldKeys(beneath);
}

void doEvents() {
    QCoreApplication::processEvents();
}

void endProgram() {
    std::_Exit(0);
}

} // namespace tk
