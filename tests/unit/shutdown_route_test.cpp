#include "forms/Form1/ShutdownRoute.h"
#include "platform/DetectWinVersion.h"

#include <gtest/gtest.h>

namespace {

using form1::RouteFor;
using form1::ShutdownRoute;

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
