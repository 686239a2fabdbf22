#include "Button.h"

#include "Font.h"
#include "FormWindow.h"
#include "Text.h"

namespace tk::win32 {

NativeButton::NativeButton(FormWindow& form, const ControlSpec& row, int id, HWND parent,
                           const Font& windowFont)
    : Child(form, row, id) {
    // Long captions wrap onto a second line.
    const DWORD style =
        (row.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE | WS_TABSTOP;
    create(L"Button", widen(row.caption), style, 0, parent,
           pixelBounds(row.left, row.top, row.width, row.height));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font(row.font.value_or(windowFont))),
                 FALSE);
    subclass(hwnd_);
}

void NativeButton::setCaption(std::string_view caption) {
    SetWindowTextW(hwnd_, widen(caption).c_str());
}

std::string NativeButton::caption() const {
    return narrow(windowText(hwnd_));
}

void NativeButton::setFocus() {
    form_.focus(hwnd_);
}

bool NativeButton::hasFocus() const {
    return hwnd_ && GetFocus() == hwnd_;
}

void NativeButton::notify(int code) {
    if (code == BN_CLICKED) click();
}

void NativeButton::click() {
    if (onClick) onClick();
}

void NativeButton::setDefaultLook(bool isDefault) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD type = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((style & BS_TYPEMASK) == type) return;
    SendMessageW(hwnd_, BM_SETSTYLE, (style & ~static_cast<DWORD>(BS_TYPEMASK)) | type, TRUE);
}

LRESULT NativeButton::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFOCUS: {
        const LRESULT result = original(window, msg, wParam, lParam);
        form_.childFocused(hwnd_);
        return result;
    }
    case WM_KILLFOCUS:
        form_.childFocused(nullptr);
        break;
    default:
        break;
    }
    return original(window, msg, wParam, lParam);
}

} // namespace tk::win32
