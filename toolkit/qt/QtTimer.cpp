#include "QtTimer.h"

#include "QtDrawing.h"
#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

#include <QAbstractEventDispatcher>
#include <QPointer>

#include <algorithm>
#include <cstdlib>

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

} // namespace

QtTimer::QtTimer(Timer& timer) {
    timer_.setObjectName(toQString(timer.row().name));
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
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &timer_, [this] {
                         if (!ticking_ || !timer_.isActive()) return;
                         ticking_ = false;
                         timer_.start(std::max(timer_.remainingTime(), 0));
                     });
}

// At a tick, a repeating timer whose next tick is due at the clock's next multiple is left
// alone: starting it anew at every tick cost more than the rest of an idle tick. A tick may
// come late when the machine is busy, so the timer's own schedule is what is compared. An
// aimed timer repeats from a tick that came on its multiple. Away from a tick (the timer
// enabled or given a new interval) the timer is aimed at the next multiple.
void QtTimer::schedule(int interval) {
    const int wait = delayToNextTick(SystemClock::millisecondOfDay(), interval);
    if (ticking_ && timer_.isActive() && timer_.interval() == interval) {
        if (apart(timer_.remainingTime(), wait, interval) <= Adrift) return;
    } else if (ticking_ && apart(wait, 0, interval) <= Adrift) {
        timer_.start(interval);
        return;
    }
    timer_.start(wait);
}

} // namespace tk::qt
