#include "toolkit/Twips.h"

#include <gtest/gtest.h>

namespace {

TEST(TwipsToPixels, FifteenTwipsToAPixelAt96Dpi) {
    EXPECT_EQ(tk::twipsToPixels(4755, 96), 317);
    EXPECT_EQ(tk::twipsToPixels(3570, 96), 238);
    EXPECT_EQ(tk::twipsToPixels(4500, 96), 300);
    EXPECT_EQ(tk::twipsToPixels(0, 96), 0);
}

TEST(TwipsToPixels, RoundsToTheNearestPixelAtOtherResolutions) {
    EXPECT_EQ(tk::twipsToPixels(4755, 120), 396); // 396.25
    EXPECT_EQ(tk::twipsToPixels(315, 144), 32);   // 31.5 rounds up
    EXPECT_EQ(tk::twipsToPixels(7, 96), 0);       // 0.47
    EXPECT_EQ(tk::twipsToPixels(8, 96), 1);       // 0.53
    EXPECT_EQ(tk::twipsToPixels(-15, 96), -1);
}

} // namespace
