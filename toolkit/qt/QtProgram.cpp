#include "QtProgram.h"

#include "QtDrawing.h"
#include "QtWindow.h"
#include "toolkit/Clock.h"
#include "toolkit/Controls.h"
#include "toolkit/Keystrokes.h"
#include "toolkit/Program.h"
#include "toolkit/TimerPhase.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tk::qt {

namespace {

// How far, in milliseconds, a repeating timer's next tick may lie from the clock's next
// multiple of the interval and the timer be left as it is; and how close to its multiple an
// aimed timer's tick must come for the timer to repeat from it.
constexpr int Adrift = 2;

// The distance between two points on a circle of the interval's length.
int apart(int a, int b, int interval) {
    const int d = std::abs(a - b) % interval;
    return std::min(d, interval - d);
}

// A repeating timer, aimed at the clock's multiples of the interval and aimed again only
// when its next tick falls off them.
class QtTimer final : public NativeTimer {
public:
    explicit QtTimer(Timer& timer) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, &timer] {
            ticking_ = true;
            // The handler may destroy the window, and this timer with it.
            const QPointer<QTimer> alive(&timer_);
            timer.reportTick();
            if (alive) ticking_ = false;
        });
        // Qt delivers no tick of a timer whose handler still runs. A handler that waits in a
        // message box or a modal window starts the timer afresh when the wait begins, and the
        // ticks go on inside it.
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, &timer_, [this] {
                             if (!ticking_ || !timer_.isActive()) return;
                             ticking_ = false;
                             timer_.start(std::max(timer_.remainingTime(), 0));
                         });
    }

    // At a tick, a repeating timer whose next tick is due at the clock's next multiple is left
    // alone: starting it anew at every tick cost more than the rest of an idle tick. A tick
    // may come late when the machine is busy, so the timer's own schedule is what is
    // compared. An aimed timer repeats from a tick that came on its multiple. Away from a tick
    // (the timer enabled or given a new interval) the timer is aimed at the next multiple.
    void schedule(int interval) override {
        const int wait = delayToNextTick(SystemClock::millisecondOfDay(), interval);
        if (ticking_ && timer_.isActive() && timer_.interval() == interval) {
            if (apart(timer_.remainingTime(), wait, interval) <= Adrift) return;
        } else if (ticking_ && apart(wait, 0, interval) <= Adrift) {
            timer_.start(interval);
            return;
        }
        timer_.start(wait);
    }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
    bool ticking_ = false; // its handler runs
};

bool isModifier(int key) {
    return (key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock) || key == Qt::Key_AltGr ||
           key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

void showFocus(QWidget& window) {
    if (window.testAttribute(Qt::WA_KeyboardFocusChange)) return;
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focused = window.focusWidget()) focused->update();
}

// A key by what its press and its release share: the key on the keyboard, where the window
// system tells it. Qt's code for a key can change between the two, when a Shift let go first
// turns Backtab into Tab.
int keyOf(const QKeyEvent& event) {
    return event.nativeScanCode() != 0 ? -static_cast<int>(event.nativeScanCode()) : event.key();
}

// Sees every key event before its widget does and drops the rest of a spent keystroke. A key
// event reaches it once for each widget it is offered to on its way up to the window. Once a
// key was pressed in a window, it shows where its focus is.
class KeyboardWatch final : public QObject {
public:
    explicit KeyboardWatch(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::ApplicationDeactivate) keystrokes().forget();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
            type != QEvent::ShortcutOverride)
            return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool down = type != QEvent::KeyRelease || key.isAutoRepeat();
        if (keystrokes().dropped(keyOf(key), down, !key.isAutoRepeat(), isModifier(key.key())))
            return true;
        if (down && !key.isAutoRepeat())
            if (auto* widget = qobject_cast<QWidget*>(target)) showFocus(*widget->window());
        return false;
    }
};

QApplication* application = nullptr;

// Whether the X server of a local display such as ":0" or ":0.0" takes connections. Displays
// on other hosts are left to the toolkit.
bool localXServerAnswers(const std::string& display) {
    if (display.empty() || display.front() != ':') return true;
    const std::string number = display.substr(1, display.find('.') - 1);
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
        // The address as a local one to fill in, and as the general one connect() takes.
        union {
            sockaddr_un local;
            sockaddr any;
        } address{};
        address.local.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0; // abstract names start with a zero byte
        if (path.size() + offset >= sizeof address.local.sun_path) return false;
        std::memcpy(address.local.sun_path + offset, path.data(), path.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const bool connected = connect(fd, &address.any, length) == 0;
        close(fd);
        if (connected) return true;
    }
    return false;
}

} // namespace

std::unique_ptr<NativeTimer> newTimer(Timer& timer) {
    return std::make_unique<QtTimer>(timer);
}

Qt::FocusReason focusReason(const QWidget& widget, FocusMove how) {
    if (how == FocusMove::Previous) return Qt::BacktabFocusReason;
    if (how == FocusMove::Next || widget.window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return Qt::TabFocusReason;
    return Qt::OtherFocusReason;
}

void spendKey(const QKeyEvent& event) {
    keystrokes().spend(keyOf(event));
}

void spendHeldKeys(QWidget* beneath) {
    if (keystrokes().spendHeld() && beneath != nullptr) showFocus(*beneath->window());
}

} // namespace tk::qt

namespace tk {

Application::Application(int& argc, char** argv, std::string_view desktopId) {
    // Wayland hands it to the desktop as the windows' app id. On X11 the windows' class is
    // the program file's name, which the desktop entry names as StartupWMClass.
    QGuiApplication::setDesktopFileName(qt::toQString(desktopId));
    qt::application = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    qt::application->installEventFilter(new qt::KeyboardWatch(qt::application));
    qt::describeWindowsToScreenReaders();
}

Application::~Application() {
    delete qt::application;
    qt::application = nullptr;
}

int Application::run() {
    return QApplication::exec();
}

std::optional<std::string> missingDisplay() {
    const auto value = [](const char* name) {
        const char* text = std::getenv(name);
        return std::string(text ? text : "");
    };
    // A chosen platform plugin (offscreen, for one) needs no display.
    if (!value("QT_QPA_PLATFORM").empty() || !value("WAYLAND_DISPLAY").empty()) return std::nullopt;
    const std::string display = value("DISPLAY");
    if (display.empty()) return "no graphical display: DISPLAY is not set";
    if (!qt::localXServerAnswers(display))
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
