#pragma once

#include "Child.h"
#include "Subclass.h"
#include "toolkit/Controls.h"

namespace tk::win32 {

// A label: a Static control that reports clicks. One without background shows the labels
// behind it through.
class NativeLabel final : public Label, public Child, private Subclass {
public:
    NativeLabel(FormWindow& form, const ControlSpec& row, int id, HWND parent,
                const Font& windowFont);

    void setEnabled(bool enabled) override { setEnabledNow(enabled); }
    bool enabled() const override { return enabledNow(); }
    void setVisible(bool visible) override;
    bool visible() const override { return visibleNow(); }
    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void setBackColor(Color color) override;
    Color backColor() const override { return back_; }
    void setForeColor(Color color) override;
    Color foreColor() const override { return fore_; }

    void notify(int code) override;
    bool colors(HDC dc, HBRUSH& background) override;
    HCURSOR cursor() const override { return cursor_; }

private:
    void fitCaption();
    void repaint();
    void redrawSeeThroughInFront();
    void drawSiblingsBehind(HDC dc);
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    HFONT font_;
    Color fore_;
    Color back_;
    HCURSOR cursor_;
};

} // namespace tk::win32
