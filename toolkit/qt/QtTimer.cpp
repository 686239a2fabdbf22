#include "QtTimer.h"

#include "QtConvert.h"
#include "toolkit/TimerPhase.h"

#include <QAbstractEventDispatcher>
#include <QDateTime>

#include <algorithm>

namespace tk::qt {

namespace {

// How far from its multiple of the interval a tick may come and leave a repeating timer as it
// is (Adrift), and how close it must come for an aimed timer to repeat from there (OnTime),
// in milliseconds.
constexpr int OnTime = 1;
constexpr int Adrift = 3;

// The system clock's millisecond of the day, counted from midnight UTC. The local time
// differs from it by whole seconds, so for an interval that divides a second the multiples
// fall on the same instants; and unlike a local time, it is read without a look-up of the
// time zone (each of which checks /etc/localtime on disk).
int millisecondOfUtcDay() {
    constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;
    return static_cast<int>(QDateTime::currentMSecsSinceEpoch() % MsPerDay);
}

} // namespace

QtTimer::QtTimer(Timer& timer) {
    timer_.setObjectName(toQString(timer.row().name));
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, &timer] {
        ticking_ = true;
        timer.reportTick();
        ticking_ = false;
    });
    // Qt delivers no tick of a timer whose handler still runs. A handler that waits in a
    // message box or a modal window starts the timer afresh when the wait begins, and the
    // ticks go on inside it.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &timer_, [this] {
                         if (!ticking_ || !timer_.isActive()) return;
                         ticking_ = false;
                         timer_.start(std::max(timer_.remainingTime(), 0));
                     });
}

// At a tick, a repeating timer that keeps to the multiples is left alone: starting it anew
// at every tick cost more than the rest of an idle tick. Away from a tick (the timer enabled
// or given a new interval) it is aimed at the next multiple.
void QtTimer::schedule(int interval) {
    const int wait = delayToNextTick(millisecondOfUtcDay(), interval);
    if (!ticking_) {
        timer_.start(wait);
        return;
    }
    const int off = std::min(wait, interval - wait); // from the nearest multiple
    const bool repeating = timer_.isActive() && timer_.interval() == interval;
    if (off > Adrift || (!repeating && off > OnTime))
        timer_.start(wait);
    else if (!repeating)
        timer_.start(interval);
}

} // namespace tk::qt
