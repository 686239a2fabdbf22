#include "Timer.h"

#include "FormWindow.h"
#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

namespace tk::win32 {

Timer::Timer(FormWindow& form, tk::Timer& timer, UINT_PTR id)
    : form_(form), timer_(timer), id_(id) {
    form_.addTimer(this);
}

Timer::~Timer() {
    stop();
    form_.removeTimer(this);
}

void Timer::schedule(int interval) {
    if (HWND owner = form_.hwnd())
        SetTimer(owner, id_,
                 static_cast<UINT>(delayToNextTick(SystemClock::millisecondOfDay(), interval)),
                 nullptr);
}

void Timer::stop() {
    if (HWND owner = form_.hwnd()) KillTimer(owner, id_);
}

} // namespace tk::win32
