#include "Button.h"

#include "Font.h"
#include "FormWindow.h"
#include "Forms.h"
#include "Text.h"

namespace tk::win32 {

Button::Button(FormWindow& form, tk::Button& button, int id, HWND parent)
    : NativeChild(form, button.row(), id), button_(button) {
    // Long captions wrap onto a second line.
    const DWORD style =
        (row_.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE | WS_TABSTOP;
    create(L"Button", widen(button.caption()), style, 0, parent,
           pixelBounds(row_.left, row_.top, row_.width, row_.height));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font(row_.font.value_or(form.font()))),
                 FALSE);
}

void Button::setCaption(std::string_view caption) {
    SetWindowTextW(hwnd_, widen(caption).c_str());
}

void Button::notify(int code) {
    if (code != BN_CLICKED) return;
    forms::spendKeyBeingPressed();
    click();
}

LRESULT Button::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFOCUS: {
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        form_.childFocused(hwnd_);
        return result;
    }
    case WM_KILLFOCUS:
        form_.childFocused(nullptr);
        break;
    default:
        break;
    }
    return Child::message(window, msg, wParam, lParam);
}

// The thick border marks the button that Enter presses.
void Button::showAsDefault(bool isDefault) {
    if (!hwnd_) return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD type = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((style & BS_TYPEMASK) == type) return;
    SendMessageW(hwnd_, BM_SETSTYLE, (style & ~static_cast<DWORD>(BS_TYPEMASK)) | type, TRUE);
}

} // namespace tk::win32
