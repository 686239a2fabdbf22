#include "QtTimer.h"

#include "QtControl.h"

namespace tk::qt {

QtTimer::QtTimer(const ControlSpec& row) : interval_(row.interval), enabled_(row.timerEnabled) {
    timer_.setObjectName(
        QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size())));
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(onTick); });
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
    // A running timer keeps its phase; a newly started one begins a full interval.
    if (!timer_.isActive()) timer_.start(interval_);
}

} // namespace tk::qt
