#pragma once

#include "Win32.h"
#include "toolkit/Native.h"

#include <string>
#include <vector>

namespace tk::win32 {

class FormWindow;

// A control of a window that is a native child window of its own. Its messages pass through
// message() first (a comctl32 subclass). It lets go of the native window when either goes.
class Child {
public:
    Child(FormWindow& form, const ControlSpec& row, int id) : form_(form), row_(row), id_(id) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    virtual ~Child();

    HWND hwnd() const { return hwnd_; }
    const ControlSpec& row() const { return row_; }

    // The control of a child window of a form; null once it has let go of the window.
    static Child* of(HWND window);

    // A WM_COMMAND notification from the control.
    virtual void notify(int /*code*/) {}
    // The colours for the control's WM_CTLCOLOR* message: true with the background brush,
    // false to keep the system's.
    virtual bool colors(HDC /*dc*/, HBRUSH& /*background*/) { return false; }
    // The mouse cursor over the control; null for the one its class gives.
    virtual HCURSOR cursor() const { return nullptr; }

protected:
    // Creates the native window at the bottom of its siblings' z-order, so that creating the
    // controls of a container front to back stacks them so.
    void create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                HWND parent, const RECT& bounds);
    virtual LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The toolkit's setFocus: at once when the window can be active, else when it next is.
    void takeFocus(FocusMove how);
    // MSAA reads out every shown child window: one that lies outside its parent's client area
    // is never seen and goes unshown. One drawn only for its look it reads all the same.
    void hideIfUnseen();

    FormWindow& form_;
    const ControlSpec& row_;
    const int id_;
    HWND hwnd_ = nullptr;

private:
    void detach();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
};

// A native control of the forms runtime that is a child window.
template <class Interface> class NativeChild : public Interface, public Child {
public:
    using Child::Child;

    void setEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    void setVisible(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    void setFocus(FocusMove how) override { takeFocus(how); }
    bool hasFocus() const override { return hwnd_ != nullptr && GetFocus() == hwnd_; }
    void hideFromScreenReaders() override { hideIfUnseen(); }
};

// A rectangle of the layout table in pixels.
RECT pixelBounds(int left, int top, int width, int height);

// The window's rectangle in its parent's client coordinates.
RECT boundsInParent(HWND window);

// The window's siblings behind it, from the back one forward: the order to draw them in.
std::vector<HWND> siblingsBehind(HWND window);

} // namespace tk::win32
