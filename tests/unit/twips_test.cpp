#include "toolkit/CaptionWords.h"
#include "toolkit/Pixels.h"
#include "toolkit/Twips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

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

// Words of a one-line caption, measured in a font of so many pixels to a character at 96 dots
// per inch and on the screen; the covered stretches are the controls in front of the caption.
struct CaptionCase {
    const char* what;
    std::string_view caption;
    int dotsPerInch;
    double at96, onScreen;
    std::vector<tk::Covered> covered;
    std::vector<double> starts;
    double width;
};

TEST(PlaceWords, KeepTheirPlacesAt96DpiScaledAndStayBesideTheControlsInFront) {
    constexpr double beyond = std::numeric_limits<double>::infinity();
    const CaptionCase cases[] = {
        {"where the font puts them at 96 dpi", "ab  cd", 96, 3, 3, {}, {0, 12}, 18},
        {"a font that grows faster than the layout", "ab  cd", 144, 3, 5, {}, {0, 18}, 28},
        {"a font that grows slower", "ab  cd", 144, 3, 4, {}, {0, 18}, 26},
        {"never before the word before and a blank", "ab  cd", 144, 3, 8, {}, {0, 24}, 40},
        {"a single blank only spaces the words", "ab cd", 144, 3, 5, {}, {0, 15}, 25},
        {"leading blanks keep their room", "  ab", 144, 3, 5, {}, {9}, 19},
        {"from under a control to its end", "ab  cd", 144, 3, 4, {{15, 20}}, {0, 20}, 28},
        {"early enough to end before the next", "ab    cd", 96, 3, 3, {{22, 30}}, {0, 16}, 22},
        {"the container's edge is such a control", "ab  cd", 96, 3, 3, {{16, beyond}}, {0, 10}, 16},
        {"but not back under the one before",
         "ab    cd",
         96,
         3,
         3,
         {{22, 30}, {8, 17}},
         {0, 17},
         23},
        {"nor onto the word before", "abcd ef", 96, 3, 3, {{18, 30}}, {0, 15}, 21},
        {"past the container's edge it stays", "ab  cd", 96, 3, 3, {{10, beyond}}, {0, 12}, 18},
        {"an empty caption", "", 144, 3, 5, {}, {}, 0},
    };
    struct EvenFont final : tk::CaptionFont {
        double at96, onScreen;
        EvenFont(double a, double b) : at96(a), onScreen(b) {}
        double widthAt96(std::string_view text) const override { return at96 * text.size(); }
        double width(std::string_view text) const override { return onScreen * text.size(); }
    };
    for (const CaptionCase& c : cases) {
        const tk::PlacedCaption placed =
            tk::placeWords(c.caption, c.dotsPerInch, EvenFont(c.at96, c.onScreen), c.covered);
        std::vector<double> starts;
        std::string joined;
        for (const tk::PlacedWord& word : placed.words) {
            starts.push_back(word.x);
            joined += word.text;
        }
        EXPECT_EQ(starts, c.starts) << c.what;
        EXPECT_DOUBLE_EQ(placed.width, c.width) << c.what;
        EXPECT_EQ(joined,
                  c.caption.substr(std::min(c.caption.find_first_not_of(' '), c.caption.size())))
            << c.what << ": every word with its blanks";
    }
}

// Pictures grow with the layout: premultiplied ARGB pixels, resized and drawn over a canvas.
TEST(PicturePixels, GrowByWholeMultiplesAsRepeatedPixelsAndBlendOnlyWhereTwoMeet) {
    constexpr std::uint32_t Red = 0xFFFF0000, Blue = 0xFF0000FF, Clear = 0;
    const tk::Pixels picture{2, 1, {Red, Clear}};
    EXPECT_EQ(tk::resized(picture, 2, 1).argb, picture.argb);
    EXPECT_EQ(tk::resized(picture, 4, 2).argb,
              (std::vector<std::uint32_t>{Red, Red, Clear, Clear, Red, Red, Clear, Clear}));
    // At 1.5 times the middle pixel is half of each: half red, half clear.
    EXPECT_EQ(tk::resized(picture, 3, 1).argb,
              (std::vector<std::uint32_t>{Red, 0x80800000, Clear}));
    const tk::Pixels square{2, 2, {Red, Blue, Blue, Red}};
    EXPECT_EQ(tk::resized(square, 1, 1).argb, (std::vector<std::uint32_t>{0xFF800080}));
}

TEST(PicturePixels, DrawOverShowsTheCanvasThroughWhatIsClearAndLeavesOutWhatFallsOutside) {
    tk::Pixels canvas{3, 1, {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}};
    // Opaque red, clear, and half-clear blue (its colour already halved) over white.
    tk::drawOver(canvas, tk::Pixels{3, 1, {0xFFFF0000, 0, 0x80000080}}, 0, 0);
    EXPECT_EQ(canvas.argb, (std::vector<std::uint32_t>{0x00FF0000, 0x00FFFFFF, 0x007F7FFF}));
    tk::drawOver(canvas, tk::Pixels{2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}}, 2, -1);
    EXPECT_EQ(canvas.argb, (std::vector<std::uint32_t>{0x00FF0000, 0x00FFFFFF, 0x00000000}));
}

} // namespace
