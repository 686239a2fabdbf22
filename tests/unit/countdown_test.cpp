#include "FakeClock.h"
#include "forms/Form1/Countdown.h"
#include "platform/DetectWinVersion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <regex>

namespace {

using form1::RouteFor;
using form1::ShutdownRoute;
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
    // A blank and a digit, given its leading zero, is the digit.
    EXPECT_EQ(TimeLeftText("0 5", "00", "00", {3, 0, 0}), "02:00:00");
    EXPECT_EQ(TimeLeftText("03", "0 5", "00", {3, 0, 0}), "00:05:00");
    EXPECT_EQ(TimeLeftText("03", "00", "0 5", {3, 0, 0}), "00:00:05");
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
    // The UTC clock runs with the monotonic one unless `utcElapsed` says otherwise.
    const auto passed = [](const char* target, tk::TimeOfDay last, tk::TimeOfDay now,
                           std::int64_t elapsed, std::optional<std::int64_t> utcElapsed = {}) {
        const std::string text(target);
        const std::int64_t start = 1'000'000;
        return form1::TargetPassedUnseen(
            text.substr(0, 2), text.substr(3, 2), text.substr(6, 2), {last, start, start},
            {now, start + utcElapsed.value_or(elapsed), start + elapsed});
    };
    EXPECT_TRUE(passed("00:00:01", {23, 59, 58}, {0, 0, 3}, 5000)); // across midnight
    // Neither tick's own second: the tick that reads it asks by itself.
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 0}, 2000));
    EXPECT_FALSE(passed("10:30:00", {10, 30, 0}, {10, 30, 2}, 2000));
    // The UTC clock against the monotonic one: up to a second apart. Beyond, the clock was
    // set past the target or the machine slept through it.
    EXPECT_TRUE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 4000, 5000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 4000, 5001));
    EXPECT_TRUE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 4000, 3000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 4000, 2999));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 58}, {10, 30, 2}, 0, 4000));
    // A minute late at most.
    EXPECT_TRUE(passed("10:30:00", {10, 29, 30}, {10, 30, 30}, 60000));
    EXPECT_FALSE(passed("10:30:00", {10, 29, 30}, {10, 30, 31}, 61000));
    // The second whose time left would have read 00:00:00, also for odd fields.
    EXPECT_TRUE(passed("10:75:00", {10, 14, 58}, {10, 15, 2}, 4000));
    EXPECT_FALSE(passed("10:75:00", {11, 14, 58}, {11, 15, 2}, 4000));
}

// Daylight-saving time in Berlin, 2026: 02:00 became 03:00 on 29 March, 03:00 became 02:00
// again on 25 October. Ticks a quarter second apart across each change.
TEST(LateTick, TheSpringChangeJumpsOverTheTargetAndTheAutumnChangeRepeatsIt) {
    const char* zoneBefore = std::getenv("TZ");
    const std::string kept = zoneBefore != nullptr ? zoneBefore : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const auto passedAcross = [](const char* target, std::int64_t utcBefore) {
        FakeClock clock;
        clock.runTo(utcBefore);
        const form1::TickReading last{clock.now, clock.utcMilliseconds(), clock.monotonic};
        clock.runTo(utcBefore + 250);
        const form1::TickReading now{clock.now, clock.utcMilliseconds(), clock.monotonic};
        const std::string text(target);
        return form1::TargetPassedUnseen(text.substr(0, 2), text.substr(3, 2), text.substr(6, 2),
                                         last, now);
    };
    constexpr std::int64_t Spring = 1'774'745'999'750; // 00:59:59.750 UTC, 01:59:59 local
    constexpr std::int64_t Autumn = 1'792'889'999'750; // 00:59:59.750 UTC, 02:59:59 local
    EXPECT_TRUE(passedAcross("02:00:00", Spring));
    EXPECT_TRUE(passedAcross("02:30:00", Spring));
    EXPECT_TRUE(passedAcross("02:59:59", Spring));
    EXPECT_FALSE(passedAcross("03:00:30", Spring));
    EXPECT_FALSE(passedAcross("01:30:00", Spring));
    // Back at 02:00:00: 02:30:00 comes once more, an hour later, and nothing now.
    EXPECT_FALSE(passedAcross("02:30:00", Autumn));
    EXPECT_FALSE(passedAcross("12:00:00", Autumn));
    if (zoneBefore != nullptr)
        setenv("TZ", kept.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(NumberOf, ReadsTheLeadingNumberWithoutItsBlanks) {
    EXPECT_EQ(form1::NumberOf("08"), 8);
    EXPECT_EQ(form1::NumberOf("  -1"), -1);
    EXPECT_EQ(form1::NumberOf("+4"), 4);
    EXPECT_EQ(form1::NumberOf("1.5"), 1.5);
    EXPECT_EQ(form1::NumberOf("0 5"), 5);
    EXPECT_EQ(form1::NumberOf(" 7"), 7);
    EXPECT_EQ(form1::NumberOf("- 3"), -3);
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
    EXPECT_TRUE(form1::InRange("0 5", form1::HoursLimit));
    EXPECT_FALSE(form1::InRange("2 4", form1::HoursLimit));
    EXPECT_TRUE(form1::InRange("07", form1::HoursLimit));
}

TEST(InRange, RefusesEverythingThatIsNoWholeNumber) {
    for (const char* text : {"-", "+", "1.5", ".", "ab", "7a", "0a", "   ", "99999999999999999999"})
        EXPECT_FALSE(form1::InRange(text, form1::MinutesLimit)) << text;
}

TEST(VersionLine, JoinsTheProgramVersionAndTheWindowsVersion) {
    EXPECT_EQ(form1::VersionLine(1, 3, 0, "5.1  Windows XP"),
              "Shutdown v1.3.0 - Windows version 5.1  Windows XP");
    EXPECT_EQ(form1::VersionLine(1, 10, 12, "6.1  Windows XP"),
              "Shutdown v1.10.12 - Windows version 6.1  Windows XP");
}

TEST(VersionLine, DropsLeadingBlanksAndKeepsTrailingOnes) {
    EXPECT_EQ(form1::VersionLine(1, 3, 0, "   5.1  Windows XP  "),
              "Shutdown v1.3.0 - Windows version 5.1  Windows XP  ");
    EXPECT_EQ(form1::VersionLine(1, 3, 0, "    "), "Shutdown v1.3.0 - Windows version ");
    EXPECT_EQ(form1::VersionLine(1, 3, 0, ""), "Shutdown v1.3.0 - Windows version ");
}

TEST(VersionLine, ShowsTheDetectionErrorAtTheEnd) {
    EXPECT_EQ(form1::VersionLine(1, 3, 0, "Err detecting windows version"),
              "Shutdown v1.3.0 - Windows version Err detecting windows version");
}

TEST(FormatTime, WritesTwoDigitsForEachPart) {
    EXPECT_EQ(form1::FormatTime({7, 5, 9}), "07:05:09");
    EXPECT_EQ(form1::FormatTime({0, 0, 0}), "00:00:00");
    EXPECT_EQ(form1::FormatTime({23, 59, 59}), "23:59:59");
    EXPECT_EQ(form1::FormatTime({12, 30, 0}), "12:30:00");
}

ShutdownRoute routeOf(unsigned long major, unsigned long minor) {
    return RouteFor(Module1::WinVersionText(platform::VersionNumbers{major, minor}));
}

TEST(ShutdownRoute, MajorVersionFiveUsesTheShutdownCommand) {
    EXPECT_EQ(routeOf(5, 0), ShutdownRoute::Command);
    EXPECT_EQ(routeOf(5, 1), ShutdownRoute::Command);
    EXPECT_EQ(routeOf(5, 2), ShutdownRoute::Command);
}

TEST(ShutdownRoute, EveryOtherVersionCallsExitWindowsEx) {
    EXPECT_EQ(routeOf(4, 0), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(routeOf(4, 10), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(routeOf(4, 90), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(routeOf(6, 1), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(routeOf(10, 0), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(routeOf(0, 0), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(RouteFor(Module1::WinVersionError), ShutdownRoute::ExitWindowsEx);
    EXPECT_EQ(RouteFor(""), ShutdownRoute::ExitWindowsEx);
}

TEST(ShutdownRoute, LeadingBlanksAreSkippedBeforeTheFirstCharacter) {
    EXPECT_EQ(RouteFor("  5.1  Windows XP"), ShutdownRoute::Command);
    EXPECT_EQ(RouteFor("   "), ShutdownRoute::ExitWindowsEx);
}

} // namespace
