#pragma once

#include "Win32.h"
#include "toolkit/Controls.h"

namespace tk::win32 {

// A timer of the window: WM_TIMER with the timer's id, on the clock's multiples of the
// interval.
class NativeTimer final : public Timer {
public:
    NativeTimer(HWND owner, UINT_PTR id, int interval, bool enabled);

    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

    UINT_PTR id() const { return id_; }
    void tick();
    // The window is going: no more ticks.
    void stop();

private:
    void apply();

    HWND owner_;
    UINT_PTR id_;
    int interval_;
    bool enabled_;
};

} // namespace tk::win32
