#include "toolkit/TimerPhase.h"

#include <gtest/gtest.h>

namespace {

constexpr int Quarter = 250;

TEST(TimerPhase, TicksComeJustAfterEveryQuarterSecond) {
    EXPECT_EQ(tk::delayToNextTick(0, Quarter), tk::TickLag); // midnight
    EXPECT_EQ(tk::delayToNextTick(1000 + tk::TickLag, Quarter), Quarter);
    EXPECT_EQ(tk::delayToNextTick(1002, Quarter), tk::TickLag - 2);
    // A late tick is followed by a short wait, back in step.
    EXPECT_EQ(tk::delayToNextTick(1240, Quarter), 10 + tk::TickLag);
}

TEST(TimerPhase, EveryMomentAroundAStepWaitsForTheNextStepWithinOneInterval) {
    constexpr int Day = 24 * 60 * 60 * 1000;
    // The steps at the start and the end of the day, and a sample between, with the
    // milliseconds on either side of each.
    for (const int interval : {250, 1000, 333}) {
        const int steps = Day / interval + 1;
        for (int step = 0; step < steps; step += step < 8 || step > steps - 8 ? 1 : 97)
            for (int ms = step * interval + tk::TickLag - 2;
                 ms <= step * interval + tk::TickLag + 2; ++ms) {
                if (ms < 0 || ms >= Day) continue;
                const int delay = tk::delayToNextTick(ms, interval);
                ASSERT_GT(delay, 0) << ms;
                ASSERT_LE(delay, interval) << ms;
                ASSERT_EQ((ms + delay - tk::TickLag) % interval, 0) << ms << " " << interval;
            }
    }
}

} // namespace
