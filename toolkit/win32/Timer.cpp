#include "Timer.h"

#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

namespace tk::win32 {

NativeTimer::NativeTimer(HWND owner, UINT_PTR id, int interval, bool enabled)
    : owner_(owner), id_(id), interval_(interval), enabled_(enabled) {
    apply();
}

void NativeTimer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    apply();
}

void NativeTimer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

void NativeTimer::tick() {
    // A tick already queued when the timer was stopped is dropped.
    if (!enabled_ || interval_ <= 0 || !owner_) return;
    // Set again before the handler runs: a message box it opens waits for a while.
    apply();
    if (onTick) onTick();
}

void NativeTimer::stop() {
    if (owner_) KillTimer(owner_, id_);
    owner_ = nullptr;
}

void NativeTimer::apply() {
    if (!owner_) return;
    // An interval of 0 stops the timer. Each tick sets the wait to the next one anew.
    if (enabled_ && interval_ > 0)
        SetTimer(owner_, id_,
                 static_cast<UINT>(delayToNextTick(SystemClock::millisecondOfDay(), interval_)),
                 nullptr);
    else
        KillTimer(owner_, id_);
}

} // namespace tk::win32
