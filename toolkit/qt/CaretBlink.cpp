#include "CaretBlink.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QStyleHints>
#include <QTimer>

namespace tk::qt {

namespace {

// As on Windows (its caret time-out), the text cursor stops blinking five seconds after the
// last input and stays lit: a window left open for hours then draws nothing between ticks
// but its clock.
constexpr int CaretTimeoutMs = 5000;

class CaretTimeout final : public QTimer {
public:
    explicit CaretTimeout(QObject* parent)
        : QTimer(parent), flashTime_(QGuiApplication::styleHints()->cursorFlashTime()) {
        setSingleShot(true);
        connect(this, &QTimer::timeout, this,
                [] { QGuiApplication::styleHints()->setCursorFlashTime(0); });
    }

    void restart() {
        QStyleHints* hints = QGuiApplication::styleHints();
        if (hints->cursorFlashTime() != flashTime_) hints->setCursorFlashTime(flashTime_);
        start(CaretTimeoutMs);
    }

private:
    int flashTime_; // the desktop's own
};

} // namespace

void wakeCaret() {
    static QPointer<CaretTimeout> timeout;
    if (timeout.isNull()) timeout = new CaretTimeout(QCoreApplication::instance());
    timeout->restart();
}

} // namespace tk::qt
