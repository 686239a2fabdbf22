#pragma once

namespace tk {

// Twips are 1/1440 inch; a screen of 96 dots per inch has 15 twips to a pixel.
constexpr int TwipsPerPixelAt96Dpi = 15;

constexpr int twipsToPixels(int twips, int dotsPerInch) {
    const long scaled = static_cast<long>(twips) * dotsPerInch;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

} // namespace tk
