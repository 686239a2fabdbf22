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

TEST(TimerPhase, EveryMomentOfTheDayWaitsForTheNextStepWithinOneInterval) {
    constexpr int Day = 24 * 60 * 60 * 1000;
    for (const int interval : {250, 1000, 333})
        for (int ms = 0; ms < Day; ms += 31) {
            const int delay = tk::delayToNextTick(ms, interval);
            ASSERT_GT(delay, 0) << ms;
            ASSERT_LE(delay, interval) << ms;
            ASSERT_EQ((ms + delay - tk::TickLag) % interval, 0) << ms << " " << interval;
        }
}

} // namespace
