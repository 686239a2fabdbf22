#include "toolkit/Program.h"

#include "Activation.h"
#include "QtConvert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdlib>

namespace tk {

namespace {
QApplication* application = nullptr;
} // namespace

Application::Application(int& argc, char** argv) {
    application = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
}

Application::~Application() {
    delete application;
    application = nullptr;
}

int Application::run() {
    return QApplication::exec();
}

std::optional<std::string> missingDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    // A chosen platform plugin (offscreen, for one) needs no display.
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return std::nullopt;
    return "no graphical display: DISPLAY is not set";
}

// Qt draws its widgets in the desktop's style by itself: there is nothing to register.
void initCommonControls() {}

void msgBox(std::string_view text, std::string_view title, MsgIcon icon) {
    const QPointer<QWidget> owner = QApplication::activeWindow();
    QMessageBox box(icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    qt::toQString(title), qt::toQString(text), QMessageBox::Ok, owner.data());
    box.setTextFormat(Qt::PlainText);
    box.exec();
    // The owner takes the keyboard again, as on Windows.
    if (!owner.isNull() && owner->isVisible() && QApplication::activeWindow() == nullptr) {
        qt::activateNow(*owner);
    }
}

void doEvents() {
    QCoreApplication::processEvents();
}

void endProgram() {
    std::_Exit(0);
}

} // namespace tk
