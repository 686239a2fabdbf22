#include "CaptionWords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tk {

PlacedCaption placeWords(std::string_view caption, int dotsPerInch, const CaptionFont& font,
                         const std::vector<Covered>& covered) {
    constexpr auto none = std::string_view::npos;
    PlacedCaption placed;
    const double blank = font.width(" ");
    double earliest = 0; // where the next word may start: after the last one and a blank
    for (std::size_t start = caption.find_first_not_of(' '); start != none;) {
        const std::size_t length = std::min(caption.find(' ', start), caption.size()) - start;
        const std::size_t next = caption.find_first_not_of(' ', start + length);
        const std::string_view word = caption.substr(start, length);
        const double wordWidth = font.width(word);

        // A single blank only spaces words; a longer run leaves room in the layout.
        double x = earliest;
        if (placed.words.empty() || caption.substr(start - 2, 2) == "  ")
            x = std::max(x, font.widthAt96(caption.substr(0, start)) * dotsPerInch / 96.0);
        // Past each control it would start under; the edge of the container is none of them.
        for (bool moved = true; moved;) {
            moved = false;
            for (const Covered& control : covered)
                if (control.left <= x && x < control.right && !std::isinf(control.right)) {
                    x = control.right;
                    moved = true;
                }
        }
        // The stretch between two controls that it starts in.
        double from = 0;
        double to = std::numeric_limits<double>::infinity();
        for (const Covered& control : covered) {
            if (control.left > x)
                to = std::min(to, control.left);
            else if (!std::isinf(control.right))
                from = std::max(from, control.right);
        }
        if (x + wordWidth > to) x = std::max({to - wordWidth, from, earliest});

        const std::string_view withBlanks =
            caption.substr(start, (next == none ? caption.size() : next) - start);
        placed.words.push_back({withBlanks, x});
        earliest = x + wordWidth + blank;
        placed.width = x + font.width(withBlanks);
        start = next;
    }
    return placed;
}

} // namespace tk
