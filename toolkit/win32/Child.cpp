#include "Child.h"

#include "Font.h"
#include "FormWindow.h"
#include "toolkit/Twips.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace tk::win32 {

Child::~Child() {
    detach();
}

Child* Child::of(HWND window) {
    return window ? reinterpret_cast<Child*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

void Child::create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                   HWND parent, const RECT& bounds) {
    if (!row_.enabled) style |= WS_DISABLED;
    hwnd_ = CreateWindowExW(
        exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) {
        std::string message = "cannot create the control ";
        message += row_.name;
        throw std::runtime_error(message);
    }
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    // Standard controls leave their user data to their creator.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowSubclass(hwnd_, &Child::procedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void Child::detach() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, &Child::procedure, 0);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT Child::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(window, msg, wParam, lParam);
}

LRESULT CALLBACK Child::procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
    auto* child = reinterpret_cast<Child*>(self);
    // The last message of the native window: the object lets go of it before it goes.
    if (msg == WM_NCDESTROY) child->detach();
    return child->message(window, msg, wParam, lParam);
}

void Child::takeFocus(FocusMove how) {
    if (hwnd_) form_.focus(hwnd_, how);
}

void Child::hideIfUnseen() {
    RECT area{};
    GetClientRect(GetParent(hwnd_), &area);
    const RECT mine = boundsInParent(hwnd_);
    RECT seen{};
    if (!IntersectRect(&seen, &area, &mine)) ShowWindow(hwnd_, SW_HIDE);
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
