#include "Pixels.h"

#include <algorithm>
#include <cmath>

namespace tk {

namespace {

struct Share {
    int source;
    double weight;
};

// For each of `to` pixels across, the pixels of `from` across that it covers and how much of
// it each makes up.
std::vector<std::vector<Share>> shares(int from, int to) {
    std::vector<std::vector<Share>> result(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double begin = i * step;
        const double end = (i + 1) * step;
        for (int source = static_cast<int>(begin); source < from && source < end; ++source) {
            const double covered = std::min(end, source + 1.0) - std::max(begin, 1.0 * source);
            if (covered > 0)
                result[static_cast<std::size_t>(i)].push_back({source, covered / step});
        }
    }
    return result;
}

std::uint32_t channel(std::uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

} // namespace

Pixels resized(const Pixels& picture, int width, int height) {
    Pixels result{width, height,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    if (picture.width <= 0 || picture.height <= 0) return result;
    const auto across = shares(picture.width, width);
    const auto down = shares(picture.height, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum[4] = {};
            for (const Share& row : down[static_cast<std::size_t>(y)])
                for (const Share& column : across[static_cast<std::size_t>(x)]) {
                    const std::uint32_t pixel = picture.at(column.source, row.source);
                    for (int c = 0; c < 4; ++c)
                        sum[c] += channel(pixel, 8 * c) * row.weight * column.weight;
                }
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= static_cast<std::uint32_t>(std::lround(std::min(sum[c], 255.0)))
                         << (8 * c);
            result.at(x, y) = pixel;
        }
    return result;
}

void drawOver(Pixels& canvas, const Pixels& picture, int x, int y) {
    for (int row = std::max(0, -y); row < picture.height && y + row < canvas.height; ++row)
        for (int column = std::max(0, -x); column < picture.width && x + column < canvas.width;
             ++column) {
            const std::uint32_t front = picture.at(column, row);
            const std::uint32_t clear = 255 - (front >> 24);
            std::uint32_t& back = canvas.at(x + column, y + row);
            std::uint32_t pixel = back & 0xFF000000;
            for (int shift = 0; shift < 24; shift += 8)
                pixel |= (channel(front, shift) + (channel(back, shift) * clear + 127) / 255)
                         << shift;
            back = pixel;
        }
}

} // namespace tk
