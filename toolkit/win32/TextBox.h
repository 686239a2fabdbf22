#pragma once

#include "Child.h"
#include "toolkit/Controls.h"

#include <optional>
#include <string>

namespace tk::win32 {

// A text box: a single-line Edit control.
class TextBox final : public NativeChild<NativeTextBox> {
public:
    TextBox(FormWindow& form, tk::TextBox& box, int id, HWND parent);

    void setText(std::string_view text) override;
    std::string text() const override;
    void setSelStart(int start) override;
    int selStart() const override;
    void setSelLength(int length) override;
    int selLength() const override;
    void setAccessibleName(std::string_view name) override;

    void notify(int code) override;

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void mouseUp(int button, WPARAM wParam, LPARAM lParam);
    // The selection in UTF-16 units: start and end.
    std::pair<int, int> selection() const;

    tk::TextBox& box_;
    HWND nameLabel_ = nullptr; // destroyed with the parent
    int quiet_ = 0;            // set while the text is written from code
    // The text when a typed or pasted character was refused for the length limit: the control
    // may still report a change, though nothing changed.
    std::optional<std::wstring> refused_;
    bool clicking_ = false;       // inside the control's own handling of a left press
    bool focusedByClick_ = false; // that press gave it the focus
    bool holdSelection_ = false;  // the press's drag would undo the got-focus selection
};

} // namespace tk::win32
