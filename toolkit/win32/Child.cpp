#include "Child.h"

#include "Font.h"
#include "FormWindow.h"
#include "toolkit/Twips.h"

#include <algorithm>

namespace tk::win32 {

Child::Child(FormWindow& form, const ControlSpec& row, int id) : form_(form), row_(row), id_(id) {}

void Child::create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                   HWND parent, const RECT& bounds) {
    if (!row_.enabled) style |= WS_DISABLED;
    hwnd_ = CreateWindowExW(
        exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleW(nullptr), nullptr);
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void Child::setEnabledNow(bool enabled) {
    if (!enabled) form_.focusAwayFrom(hwnd_);
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Child::enabledNow() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_DISABLED) == 0;
}

void Child::setVisibleNow(bool visible) {
    if (!visible) form_.focusAwayFrom(hwnd_);
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Child::visibleNow() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT pixelBounds(int left, int top, int width, int height) {
    const int x = twipsToPixels(left, screenDpiX());
    const int y = twipsToPixels(top, screenDpiY());
    return RECT{x, y, x + twipsToPixels(width, screenDpiX()),
                y + twipsToPixels(height, screenDpiY())};
}

RECT boundsInParent(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

std::vector<HWND> siblingsBehind(HWND window) {
    std::vector<HWND> behind;
    for (HWND back = GetWindow(window, GW_HWNDNEXT); back; back = GetWindow(back, GW_HWNDNEXT))
        behind.push_back(back);
    std::reverse(behind.begin(), behind.end());
    return behind;
}

} // namespace tk::win32
