#include "Subclass.h"

namespace tk::win32 {

void Subclass::subclass(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure)));
}

LRESULT Subclass::original(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) const {
    return CallWindowProcW(original_, window, msg, wParam, lParam);
}

LRESULT CALLBACK Subclass::procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The objects outlive their native windows (the window object destroys the native
    // windows first), so the pointer stays good up to the last message.
    auto* self = reinterpret_cast<Subclass*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->message(window, msg, wParam, lParam);
}

} // namespace tk::win32
