#pragma once

#include "Win32.h"
#include "toolkit/Layout.h"

#include <string>
#include <vector>

namespace tk::win32 {

class FormWindow;

// A control of a window that is a native child window of its own.
class Child {
public:
    Child(FormWindow& form, const ControlSpec& row, int id);
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    virtual ~Child() = default;

    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }
    const ControlSpec& row() const { return row_; }

    // A WM_COMMAND notification from the control.
    virtual void notify(int /*code*/) {}
    // The colours for the control's WM_CTLCOLOR* message: true with the background brush,
    // false to keep the system's.
    virtual bool colors(HDC /*dc*/, HBRUSH& /*background*/) { return false; }
    // The mouse cursor over the control; null for the one its class gives.
    virtual HCURSOR cursor() const { return nullptr; }

protected:
    // Creates the native window at the bottom of its siblings' z-order, so that creating the
    // rows in table order stacks them front to back.
    void create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                HWND parent, const RECT& bounds);

    void setEnabledNow(bool enabled);
    bool enabledNow() const;
    void setVisibleNow(bool visible);
    bool visibleNow() const;

    FormWindow& form_;
    const ControlSpec row_;
    const int id_;
    HWND hwnd_ = nullptr;
};

// A rectangle of the layout table in pixels.
RECT pixelBounds(int left, int top, int width, int height);

// The window's rectangle in its parent's client coordinates.
RECT boundsInParent(HWND window);

// The window's siblings behind it, from the back one forward: the order to draw them in.
std::vector<HWND> siblingsBehind(HWND window);

} // namespace tk::win32
