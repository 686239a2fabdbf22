#pragma once

#include "Child.h"
#include "Subclass.h"
#include "toolkit/Controls.h"

#include <optional>
#include <string>

namespace tk::win32 {

// A text box: a single-line Edit control.
class NativeTextBox final : public TextBox, public Child, private Subclass {
public:
    NativeTextBox(FormWindow& form, const ControlSpec& row, int id, HWND parent,
                  const Font& windowFont);

    void setEnabled(bool enabled) override { setEnabledNow(enabled); }
    bool enabled() const override { return enabledNow(); }
    void setVisible(bool visible) override { setVisibleNow(visible); }
    bool visible() const override { return visibleNow(); }
    void setText(std::string_view text) override;
    std::string text() const override;
    void setSelStart(int start) override;
    int selStart() const override;
    void setSelLength(int length) override;
    int selLength() const override;
    void setFocus() override;
    bool hasFocus() const override;
    int maxLength() const override { return row_.maxLength; }
    std::string toolTip() const override { return std::string(row_.toolTip); }

    void notify(int code) override;

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void gotFocus();
    void mouseUp(int button, WPARAM wParam, LPARAM lParam);
    // The selection in UTF-16 units: start and end.
    std::pair<int, int> selection() const;

    int quiet_ = 0; // set while a change is reported by hand
    // The text when a typed or pasted character was refused for the length limit: the control
    // may still report a change, though nothing changed.
    std::optional<std::wstring> refused_;
    bool clicking_ = false;       // inside the control's own handling of a left press
    bool focusedByClick_ = false; // that press gave it the focus
    bool holdSelection_ = false;  // the press's drag would undo the got-focus selection
};

} // namespace tk::win32
