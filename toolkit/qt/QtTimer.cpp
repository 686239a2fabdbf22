#include "QtTimer.h"

#include "QtControl.h"
#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

namespace tk::qt {

QtTimer::QtTimer(const ControlSpec& row) : interval_(row.interval), enabled_(row.timerEnabled) {
    timer_.setObjectName(
        QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size())));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        // Set again before the handler runs: a message box it opens waits for a while.
        schedule();
        fire(onTick);
    });
    update();
}

void QtTimer::setInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    timer_.stop();
    update();
}

void QtTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    update();
}

void QtTimer::setWindowOpen(bool open) {
    windowOpen_ = open;
    update();
}

void QtTimer::update() {
    if (!enabled_ || interval_ <= 0 || !windowOpen_) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive()) schedule();
}

void QtTimer::schedule() {
    timer_.start(delayToNextTick(SystemClock::millisecondOfDay(), interval_));
}

} // namespace tk::qt
