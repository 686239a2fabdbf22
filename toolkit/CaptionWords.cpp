#include "CaptionWords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tk {

PlacedCaption placeWords(std::string_view caption, int dotsPerInch, const MeasureText& widthAt96,
                         const MeasureText& width, std::vector<Covered> covered) {
    constexpr auto none = std::string_view::npos;
    std::sort(covered.begin(), covered.end(),
              [](const Covered& a, const Covered& b) { return a.left < b.left; });
    PlacedCaption placed;
    const double blank = width(" ");
    double earliest = 0; // where the next word may start: after the last one and a blank
    for (std::size_t start = caption.find_first_not_of(' '); start != none;) {
        const std::size_t length = std::min(caption.find(' ', start), caption.size()) - start;
        const std::size_t next = caption.find_first_not_of(' ', start + length);
        const std::string_view word = caption.substr(start, length);
        const double wordWidth = width(word);

        // A single blank only spaces words; a longer run leaves room in the layout.
        double x = earliest;
        if (placed.words.empty() || caption.substr(start - 2, 2) == "  ")
            x = std::max(x, widthAt96(caption.substr(0, start)) * dotsPerInch / 96.0);
        // The stretch between two controls that the word starts in.
        double from = 0;
        double to = std::numeric_limits<double>::infinity();
        for (const Covered& control : covered) {
            if (control.left > x) {
                to = control.left;
                break;
            }
            if (std::isinf(control.right)) break; // past the container's edge: nowhere to go
            x = std::max(x, control.right);
            from = std::max(from, control.right);
        }
        if (x + wordWidth > to) x = std::max({to - wordWidth, from, earliest});

        const std::string_view withBlanks =
            caption.substr(start, (next == none ? caption.size() : next) - start);
        placed.words.push_back({withBlanks, x});
        earliest = x + wordWidth + blank;
        placed.width = x + width(withBlanks);
        start = next;
    }
    return placed;
}

} // namespace tk
