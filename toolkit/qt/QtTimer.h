#pragma once

#include "toolkit/Controls.h"
#include "toolkit/Layout.h"

#include <QTimer>

namespace tk::qt {

// Ticks while enabled with an interval above 0 and while its window is open, on the clock's
// multiples of the interval.
class QtTimer final : public Timer {
public:
    explicit QtTimer(const ControlSpec& row);
    QtTimer(const QtTimer&) = delete;
    QtTimer& operator=(const QtTimer&) = delete;

    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

    // A closed window's timers stop; they go on when it is shown again.
    void setWindowOpen(bool open);

private:
    void update();
    void schedule();

    QTimer timer_;
    int interval_;
    bool enabled_;
    bool windowOpen_ = true;
};

} // namespace tk::qt
