#pragma once

#include "Win32.h"
#include "toolkit/Controls.h"
#include "toolkit/Native.h"

namespace tk::win32 {

class FormWindow;

// A timer of the window: WM_TIMER with the timer's id, set anew for every tick.
class Timer final : public NativeTimer {
public:
    Timer(FormWindow& form, tk::Timer& timer, UINT_PTR id);
    ~Timer() override;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void schedule(int interval) override;
    void stop() override;

    UINT_PTR id() const { return id_; }
    void tick() { timer_.reportTick(); }

private:
    FormWindow& form_;
    tk::Timer& timer_;
    UINT_PTR id_;
};

} // namespace tk::win32
