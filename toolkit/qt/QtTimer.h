#pragma once

#include "toolkit/Controls.h"
#include "toolkit/Native.h"

#include <QTimer>

namespace tk::qt {

// A single-shot timer set anew for every tick.
class QtTimer final : public NativeTimer {
public:
    explicit QtTimer(Timer& timer);

    void schedule(int interval) override;
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace tk::qt
