#include "forms/Form1/TimeText.h"
#include "forms/Form1/VersionLine.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
