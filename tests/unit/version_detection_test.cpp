#include "platform/DetectWinVersion.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

std::string textFor(unsigned long major, unsigned long minor) {
    return Module1::WinVersionText(platform::VersionNumbers{major, minor});
}

TEST(WinVersionText, NamesEachReleaseAfterTheNumberAndTwoBlanks) {
    EXPECT_EQ(textFor(4, 0), "4.0  Windows 95");
    EXPECT_EQ(textFor(4, 10), "4.10  Windows 98");
    EXPECT_EQ(textFor(4, 90), "4.90  Windows Me");
    EXPECT_EQ(textFor(5, 0), "5.0  Windows 2000");
    EXPECT_EQ(textFor(5, 1), "5.1  Windows XP");
}

TEST(WinVersionText, EveryOtherNumberIsCalledWindowsXp) {
    EXPECT_EQ(textFor(5, 2), "5.2  Windows XP");
    EXPECT_EQ(textFor(6, 1), "6.1  Windows XP");
    // "10." matches none of the three-character prefixes.
    EXPECT_EQ(textFor(10, 0), "10.0  Windows XP");
    // A query that ran but failed leaves the zero-filled record.
    EXPECT_EQ(textFor(0, 0), "0.0  Windows XP");
    // Only the first three characters count: 4.1x and 4.9x are still 98 and Me.
    EXPECT_EQ(textFor(4, 15), "4.15  Windows 98");
    EXPECT_EQ(textFor(4, 9), "4.9  Windows Me");
}

TEST(WinVersionText, QueryThatCannotBeMadeGivesTheErrorTextAlone) {
    EXPECT_EQ(Module1::WinVersionText(std::nullopt), "Err detecting windows version");
}

class ThrowingPlatform final : public platform::RecordingPlatform {
public:
    std::optional<platform::VersionNumbers> versionNumbers() override {
        throw std::runtime_error("version query unavailable");
    }
};

TEST(DetectWinVersion, LeavesItsResultInWinVersion) {
    platform::RecordingPlatform system;
    system.version = platform::VersionNumbers{5, 1};
    Module1::DetectWinVersion(system);
    EXPECT_EQ(Module1::WinVersion, "5.1  Windows XP");
    EXPECT_EQ(system.versionQueries, 1);

    system.version = std::nullopt;
    Module1::DetectWinVersion(system);
    EXPECT_EQ(Module1::WinVersion, "Err detecting windows version");
}

TEST(DetectWinVersion, AnyFailureOnTheWayEndsInTheErrorText) {
    Module1::WinVersion = "6.1  Windows XP";
    ThrowingPlatform system;
    Module1::DetectWinVersion(system);
    EXPECT_EQ(Module1::WinVersion, "Err detecting windows version");
}

} // namespace
