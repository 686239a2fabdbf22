#include "FakeClock.h"
#include "FakeToolkit.h"
#include "RandomText.h"
#include "forms/Form1/Countdown.h"
#include "forms/Form1/Form1.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

const std::regex WellFormedTime("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");

tk::TimeOfDay randomTime(RandomText& random) {
    return {random.below(24), random.below(60), random.below(60)};
}

TEST(FieldFuzz, AnyTextGivesAWellFormedTimeLeft) {
    RandomText random(20261207);
    const std::size_t runs = fuzzRuns(20000);
    for (std::size_t run = 0; run < runs; ++run) {
        const std::string hours = random.fieldText();
        const std::string minutes = random.fieldText();
        const std::string seconds = random.fieldText();
        const std::string left = form1::TimeLeftText(hours, minutes, seconds, randomTime(random));
        ASSERT_TRUE(std::regex_match(left, WellFormedTime))
            << left << " from [" << hours << "] [" << minutes << "] [" << seconds << "]";
    }
}

TEST(FieldFuzz, TheLeadingZeroRuleOnlyEverPrependsOneZero) {
    RandomText random(7);
    const std::size_t runs = fuzzRuns(20000);
    for (std::size_t run = 0; run < runs; ++run) {
        const std::string text = random.fieldText();
        const auto padded = form1::WithLeadingZero(text);
        if (padded) {
            ASSERT_EQ(*padded, "0" + text);
        }
        // The range check decides every text without failing.
        const bool inRange = form1::InRange(text, form1::MinutesLimit);
        if (inRange && !text.empty()) {
            ASSERT_LT(form1::NumberOf(text), form1::MinutesLimit) << text;
        }
    }
}

// Drives the window itself: random texts written into the fields run the change check, Start
// pads them and the tick reads them. Every warning box closes as soon as it opens.
TEST(FieldFuzz, TheWindowTakesAnyTextThroughChangeStartAndTick) {
    fake::reset();
    FakeClock clock;
    platform::RecordingPlatform system;
    Form1 form(clock, system);
    form.Show();

    RandomText random(42);
    const std::size_t runs = fuzzRuns(2000) / 10;
    for (std::size_t run = 0; run < runs; ++run) {
        if (form.CountingDown) form.Command1(1).onClick();
        form.txtTime(random.below(3)).setText(random.fieldText());
        form.Command1(0).onClick();
        clock.now = randomTime(random);
        form.window().timer("Timer1").onTick();
        if (form.CountingDown) {
            ASSERT_TRUE(std::regex_match(form.lblCountDown().caption(), WellFormedTime))
                << form.lblCountDown().caption();
        }
    }
    EXPECT_FALSE(fake::boxes.empty()); // the random texts did reach the warnings
}

} // namespace
