#pragma once

#include <algorithm>
#include <cstdlib>

namespace tk {

struct PixelBounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// Where a line of a layout table lies, from its end points in pixels: only level and upright
// lines are drawn, `lineWidth` pixels thick across the line's middle.
inline PixelBounds lineBounds(int x1, int y1, int x2, int y2, int lineWidth) {
    const int thickness = std::max(lineWidth, 1);
    const int before = (thickness - 1) / 2;
    const int across = std::abs(x2 - x1);
    const int down = std::abs(y2 - y1);
    if (down <= across)
        return {std::min(x1, x2), std::min(y1, y2) - before, std::max(across, 1), thickness};
    return {std::min(x1, x2) - before, std::min(y1, y2), thickness, std::max(down, 1)};
}

} // namespace tk
