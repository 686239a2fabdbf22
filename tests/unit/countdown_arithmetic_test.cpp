#include "forms/Form1/FieldText.h"
#include "forms/Form1/LateTick.h"
#include "forms/Form1/TimeLeft.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using form1::TimeLeftText;

TEST(TimeLeft, WorkedExamplesWithTheirBorrows) {
    EXPECT_EQ(TimeLeftText("08", "15", "30", {8, 15, 20}), "00:00:10");
    EXPECT_EQ(TimeLeftText("10", "00", "05", {9, 59, 50}), "00:00:15");
    EXPECT_EQ(TimeLeftText("10", "30", "05", {9, 30, 50}), "00:59:15");
    EXPECT_EQ(TimeLeftText("00", "00", "10", {23, 59, 50}), "00:00:20");
    EXPECT_EQ(TimeLeftText("06", "30", "00", {22, 0, 0}), "08:30:00");
    EXPECT_EQ(TimeLeftText("10", "30", "00", {10, 30, 0}), "00:00:00");
    EXPECT_EQ(TimeLeftText("10", "30", "00", {10, 30, 1}), "23:59:59");
    EXPECT_EQ(TimeLeftText("10", "30", "00", {9, 30, 50}), "00:59:10");
    EXPECT_EQ(TimeLeftText("10", "30", "05", {10, 30, 10}), "23:59:55");
}

TEST(TimeLeft, OutOfRangeAndOddFieldsStillGiveAWellFormedTime) {
    EXPECT_EQ(TimeLeftText("10", "75", "00", {9, 0, 0}), "01:15:00");
    // Empty fields, a lone sign and letters count as 0: midnight.
    EXPECT_EQ(TimeLeftText("", "", "", {23, 0, 0}), "01:00:00");
    EXPECT_EQ(TimeLeftText("-", "ab", "x1", {23, 0, 0}), "01:00:00");
    // A fraction is rounded half to even after the absolute value: 1.5 - 0 + 60 = 61.5 -> 62.
    EXPECT_EQ(TimeLeftText("00", "00", "1.5", {0, 0, 0}), "00:00:02");
    // Negative values go through the absolute value: |-1 - 0 + 60| = 59.
    EXPECT_EQ(TimeLeftText("00", "00", "-1", {0, 0, 0}), "23:59:59");
    const std::regex wellFormed("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    for (const char* text : {"99", "-99", "9e9", ".", "-.", "1e400", "  7", "+3", "0 5"})
        EXPECT_TRUE(std::regex_match(TimeLeftText(text, text, text, {12, 34, 56}), wellFormed))
            << text;
    const std::string huge(400, '9');
    EXPECT_TRUE(std::regex_match(TimeLeftText(huge, huge, huge, {1, 2, 3}), wellFormed));
}

TEST(LateTick, TheTargetPassedBetweenTwoTicksOfAClockThatRanOn) {
    const auto passed = [](const char* target, tk::TimeOfDay last, tk::TimeOfDay now,
                           std::int64_t elapsed) {
        const std::string text(target);
        return form1::TargetPassedUnseen(text.substr(0, 2), text.substr(3, 2), text.substr(6, 2),
                                         {last, 1'000'000}, {now, 1'000'000 + elapsed});
    };
    EXPECT_TRUE(passed("00:00:01", {23, 59, 58}, {0, 0, 3}, 5000)); // across midnight
    // Neither tick's own second: the tick that reads it asks by itself.
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 0}, 2000));
    EXPECT_FALSE(passed("10:30:00", {10, 30, 0}, {10, 30, 2}, 2000));
    // Seconds to the second against milliseconds: up to a second apart.
    EXPECT_TRUE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 3000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 2999));
    EXPECT_TRUE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 5000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 5001));
    // A minute late at most.
    EXPECT_TRUE(passed("10:30:00", {10, 29, 30}, {10, 30, 30}, 60000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 30}, {10, 30, 31}, 61000));
    // The second whose time left would have read 00:00:00, also for odd fields.
    EXPECT_TRUE(passed("10:75:00", {10, 14, 58}, {10, 15, 2}, 4000));
    EXPECT_FALSE(passed("10:75:00", {11, 14, 58}, {11, 15, 2}, 4000));
}

TEST(NumberOf, ReadsTheLeadingNumber) {
    EXPECT_EQ(form1::NumberOf("08"), 8);
    EXPECT_EQ(form1::NumberOf("  -1"), -1);
    EXPECT_EQ(form1::NumberOf("+4"), 4);
    EXPECT_EQ(form1::NumberOf("1.5"), 1.5);
    EXPECT_EQ(form1::NumberOf("0 5"), 0);
    EXPECT_EQ(form1::NumberOf("7a"), 7);
    EXPECT_EQ(form1::NumberOf(""), 0);
    EXPECT_EQ(form1::NumberOf("-"), 0);
    EXPECT_EQ(form1::NumberOf("ab"), 0);
}

TEST(LeadingZero, OnlyForOneCharacterBetweenSpaces) {
    EXPECT_EQ(form1::WithLeadingZero("7"), "07");
    EXPECT_EQ(form1::WithLeadingZero(" 5"), "0 5");
    EXPECT_EQ(form1::WithLeadingZero("a "), "0a ");
    EXPECT_EQ(form1::WithLeadingZero("07"), std::nullopt);
    EXPECT_EQ(form1::WithLeadingZero(""), std::nullopt);
    EXPECT_EQ(form1::WithLeadingZero("  "), std::nullopt);
}

TEST(InRange, AcceptsWholeNumbersBelowTheLimitAndEmptyFields) {
    EXPECT_TRUE(form1::InRange("23", form1::HoursLimit));
    EXPECT_FALSE(form1::InRange("24", form1::HoursLimit));
    EXPECT_TRUE(form1::InRange("59", form1::MinutesLimit));
    EXPECT_FALSE(form1::InRange("60", form1::SecondsLimit));
    EXPECT_FALSE(form1::InRange("-1", form1::SecondsLimit));
    EXPECT_TRUE(form1::InRange("-0", form1::SecondsLimit));
    EXPECT_TRUE(form1::InRange("", form1::HoursLimit));
    EXPECT_TRUE(form1::InRange(" 5", form1::HoursLimit));
    EXPECT_TRUE(form1::InRange("07", form1::HoursLimit));
}

TEST(InRange, RefusesEverythingThatIsNoWholeNumber) {
    for (const char* text :
         {"-", "+", "1.5", ".", "ab", "7a", "0 5", "   ", "99999999999999999999"})
        EXPECT_FALSE(form1::InRange(text, form1::MinutesLimit)) << text;
}

} // namespace
