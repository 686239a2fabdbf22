#include "QtTimer.h"

#include "QtConvert.h"
#include "toolkit/TimerPhase.h"

#include <QDateTime>

namespace tk::qt {

namespace {

// The system clock's millisecond of the day, counted from midnight UTC. The local time
// differs from it by whole seconds, so for an interval that divides a second the multiples
// fall on the same instants; and unlike a local time, it is read without a look-up of the
// time zone (each of which checks /etc/localtime on disk).
int millisecondOfUtcDay() {
    constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;
    return static_cast<int>(QDateTime::currentMSecsSinceEpoch() % MsPerDay);
}

} // namespace

// Set anew at each tick, although a repeating timer would cost less: Qt delivers no tick of
// a timer whose handler still runs, and a message box opened by a tick waits inside it while
// the ticks go on. A new start is a timer of its own.
QtTimer::QtTimer(Timer& timer) {
    timer_.setObjectName(toQString(timer.row().name));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [&timer] { timer.reportTick(); });
}

void QtTimer::schedule(int interval) {
    timer_.start(delayToNextTick(millisecondOfUtcDay(), interval));
}

} // namespace tk::qt
