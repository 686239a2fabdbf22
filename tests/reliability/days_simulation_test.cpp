#include "FakeClock.h"
#include "RandomText.h"
#include "forms/Form1/Form1.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr long long Second = 1000;
constexpr long long Day = 86400 * Second;

// A thousand days of a running countdown with an injected clock: ticks every 250 ms around the
// target, sparse ticks elsewhere, and now and then the clock set forward or back by hand or
// by a daylight-saving change. Setting the clock moves the UTC clock with it; a change of
// daylight-saving time does not.
class DaysSimulation : public testing::Test {
protected:
    FakeClock clock;
    platform::RecordingPlatform system;
    Form1 form{clock, system};
    RandomText random{1000};
    int target = 0; // seconds into the day
    int requestsToday = 0;
    int unexpectedRequests = 0;
    long long lastTick = 0; // milliseconds into the day

    void SetUp() override {
        // Ticks come from the simulation alone, not from the real timer.
        form.window().timer("Timer1").setEnabled(false);
    }

    void aimAt(int secondOfDay) {
        if (form.CountingDown) form.Command1(1).onClick();
        target = secondOfDay;
        auto twoDigits = [](int value) {
            return std::string{static_cast<char>('0' + value / 10),
                               static_cast<char>('0' + value % 10)};
        };
        form.txtTime(0).setText(twoDigits(target / 3600));
        form.txtTime(1).setText(twoDigits(target / 60 % 60));
        form.txtTime(2).setText(twoDigits(target % 60));
        form.Command1(0).onClick();
        ASSERT_TRUE(form.CountingDown);
    }

    void tickAt(long long ms, bool askedAtOnce = false) {
        const int second = static_cast<int>(ms / Second % 86400);
        clock.now = {second / 3600, second / 60 % 60, second % 60};
        lastTick = ms;
        const std::size_t before = system.powerOffRequests();
        form.window().timer("Timer1").onTick();
        const auto made = static_cast<int>(system.powerOffRequests() - before);
        requestsToday += made;
        if (made != (second == target || askedAtOnce ? 1 : 0)) ++unexpectedRequests;
    }

    // The clock running normally from `from` to just before `to` (both within one day): a
    // tick every 250 ms around the target, sparse ticks elsewhere that never step over it.
    // The monotonic clock runs alike, and a quarter second passes as the clock is set to
    // `from`, or as daylight-saving time changes; `targetSkipped`: the change jumped over
    // the target, which the first tick then asks for.
    void run(long long from, long long to, bool savingTimeChange = false,
             bool targetSkipped = false) {
        const long long near = target * Second - 3 * Second;
        const long long past = target * Second + 3 * Second;
        long long ms = from;
        clock.monotonic += 250;
        if (!savingTimeChange) clock.utcAhead += from - lastTick - 250;
        while (ms < to) {
            tickAt(ms, targetSkipped && ms == from);
            const long long last = ms;
            if (ms >= near && ms < past) {
                ms += 250;
            } else {
                const long long next = ms + 1 + random.below(1800 * 1000);
                ms = ms < near && next > near ? near : next;
            }
            clock.monotonic += ms - last;
        }
    }
};

TEST_F(DaysSimulation, ThePowerOffIsAskedForExactlyInTheTargetSecondOfTheDaysThatReachIt) {
    int daysExpected = 0;
    int daysRequested = 0;
    int daysWrong = 0;
    for (int day = 0; day < 1000; ++day) {
        if (day % 100 == 0) aimAt(random.below(86400));
        requestsToday = 0;
        const long long t = target * Second;
        int passes = 0;
        int jumpedOver = 0;
        switch (random.below(6)) {
        case 0: // set forward across the target: skipped until tomorrow
            if (target >= 20) {
                run(0, t - 10 * Second);
                run(t + 10 * Second + random.below(3600) * Second, Day);
                break;
            }
            [[fallthrough]];
        case 1: // set back after the target: it comes round again the same day
            if (target >= 700 && target < 86390) {
                run(0, t + 5 * Second);
                run(t - (10 + random.below(600)) * Second, Day);
                passes = 2;
                break;
            }
            [[fallthrough]];
        case 2: { // spring forward: 02:00 becomes 03:00, and a target between is asked for then
            const bool skipped = target >= 2 * 3600 && target < 3 * 3600;
            run(0, 2 * 3600 * Second);
            run(3 * 3600 * Second, Day, true, skipped);
            passes = skipped ? 0 : 1;
            jumpedOver = skipped ? 1 : 0;
            break;
        }
        case 3: // fall back: 03:00 becomes 02:00 again
            run(0, 3 * 3600 * Second);
            run(2 * 3600 * Second, Day, true);
            passes = target >= 2 * 3600 && target < 3 * 3600 ? 2 : 1;
            break;
        default:
            run(0, Day);
            passes = 1;
        }
        if (passes + jumpedOver > 0) ++daysExpected;
        if (requestsToday > 0) ++daysRequested;
        // Four ticks of 250 ms fall into the target second on every pass; the tick after a
        // jump over it asks once.
        if (requestsToday != 4 * passes + jumpedOver) ++daysWrong;
    }
    EXPECT_EQ(unexpectedRequests, 0);
    EXPECT_EQ(daysWrong, 0);
    EXPECT_EQ(daysRequested, daysExpected);
    EXPECT_GT(daysExpected, 500);
    EXPECT_LT(daysExpected, 1000);
}

} // namespace
