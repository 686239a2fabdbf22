#include "QtTimer.h"

#include "QtConvert.h"
#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

namespace tk::qt {

QtTimer::QtTimer(Timer& timer) {
    timer_.setObjectName(toQString(timer.row().name));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [&timer] { timer.reportTick(); });
}

void QtTimer::schedule(int interval) {
    timer_.start(delayToNextTick(SystemClock::millisecondOfDay(), interval));
}

} // namespace tk::qt
