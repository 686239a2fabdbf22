#pragma once

#include <cstdint>
#include <vector>

namespace tk {

// A picture as 32-bit pixels, rows from the top: alpha in the top byte, then red, green and
// blue, each colour already multiplied by the alpha (0 is clear).
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t& at(int x, int y) { return argb[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// The picture at another size, each pixel the average of the part of the picture it covers:
// whole multiples repeat the pixels, other sizes blend them only where two meet.
Pixels resized(const Pixels& picture, int width, int height);

// Draws the picture over the canvas with its top left corner at x, y; what lies outside the
// canvas is left out. The canvas's own alpha is neither looked at nor changed.
void drawOver(Pixels& canvas, const Pixels& picture, int x, int y);

} // namespace tk
