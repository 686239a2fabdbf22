#pragma once

#include "Child.h"
#include "toolkit/CaptionWords.h"
#include "toolkit/Controls.h"

#include <string>
#include <vector>

namespace tk::win32 {

// A label: a Static control that reports clicks. One without background shows the labels
// behind it through. One sized to its caption draws the caption's words itself, where
// placeWords (CaptionWords.h) puts them.
class Label final : public NativeChild<NativeLabel> {
public:
    Label(FormWindow& form, tk::Label& label, int id, HWND parent);

    void setVisible(bool visible) override;
    void setCaption(std::string_view caption) override;
    // Drawn in the label's colours, which WM_CTLCOLORSTATIC reads.
    void setColors(Color, Color) override { repaint(); }

    void notify(int code) override;
    bool colors(HDC dc, HBRUSH& background) override;
    HCURSOR cursor() const override { return cursor_; }

private:
    struct Word {
        int x;
        std::wstring text;
    };

    void placeWords();
    std::vector<Covered> coveredLine(int height) const;
    void drawWords(HDC dc);
    void repaint();
    void redrawSeeThroughInFront();
    void drawSiblingsBehind(HDC dc);
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    tk::Label& label_;
    HFONT font_;
    HCURSOR cursor_;
    std::vector<Word> words_;
};

} // namespace tk::win32
