#pragma once

#include <string_view>
#include <vector>

namespace tk {

// A word of a one-line caption with the blanks that follow it, and where it starts: pixels
// from the caption's left edge.
struct PlacedWord {
    std::string_view text;
    double x = 0;
};

struct PlacedCaption {
    std::vector<PlacedWord> words;
    double width = 0; // to the end of the last word's blanks
};

// A stretch of the caption's line that a control in front of the label covers, or that lies
// outside the label's container: pixels from the caption's left edge, the right edge not
// included.
struct Covered {
    double left = 0, right = 0;
};

// How wide a text is in pixels, in a caption's font as it is at 96 dots per inch and as it is
// on the screen.
class CaptionFont {
public:
    virtual ~CaptionFont() = default;
    virtual double widthAt96(std::string_view text) const = 0;
    virtual double width(std::string_view text) const = 0;
};

// Places the words of a one-line caption that leaves room with runs of blanks for the
// controls in front of it (`covered`, in any order), so that each word stays in sight beside
// them. The layout is drawn at 96 dots per inch and scaled; a font does not grow exactly as it
// does, so a word after such a run (or after none, the first) starts where it starts at 96
// dots per inch, scaled to `dotsPerInch`. A word after a single blank follows the one before
// it. One that would start under a control starts where the control ends; one that would run
// under the next control starts early enough to end before it, as far as the stretch it is in
// allows. No word starts before the word before it ends and one blank follows. The words
// point into the caption.
PlacedCaption placeWords(std::string_view caption, int dotsPerInch, const CaptionFont& font,
                         const std::vector<Covered>& covered);

} // namespace tk
