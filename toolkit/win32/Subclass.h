#pragma once

#include "Win32.h"

namespace tk::win32 {

// A native control whose messages pass through the object first. The object's address is
// kept in the control's GWLP_USERDATA, which standard controls leave to their creator.
class Subclass {
public:
    Subclass() = default;
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;
    virtual ~Subclass() = default;

protected:
    void subclass(HWND window);
    LRESULT original(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    virtual LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC original_ = nullptr;
};

} // namespace tk::win32
