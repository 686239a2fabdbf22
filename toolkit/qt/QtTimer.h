#pragma once

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QTimer>

namespace tk::qt {

// A repeating timer, aimed at the clock's multiples of the interval and aimed again only
// when its next tick falls off them.
class QtTimer final : public NativeTimer {
public:
    explicit QtTimer(Timer& timer);

    void schedule(int interval) override;
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
    bool ticking_ = false; // its handler runs
};

} // namespace tk::qt
