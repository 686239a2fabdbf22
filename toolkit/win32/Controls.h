#pragma once

#include "Win32.h"
#include "toolkit/Native.h"
#include "toolkit/Pixels.h"

#include <memory>
#include <string>
#include <vector>

namespace tk::win32 {

class FormWindow;

// A control of a window that is a native child window of a standard class. Its messages pass
// through message() first (a comctl32 subclass). It lets go of the native window when either
// goes.
class Child {
public:
    Child(FormWindow& form, const ControlSpec& row, int tableRow)
        : form_(form), row_(row), tableRow_(tableRow) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    virtual ~Child() { detach(); }

    const ControlSpec& row() const { return row_; }

    // The control of a child window of a form; null once it has let go of the window.
    static Child* of(HWND window);

    // A WM_COMMAND notification from the control.
    virtual void notify(int /*code*/) {}
    // The colours for the control's WM_CTLCOLORSTATIC message: true with the background
    // brush, false to keep the system's.
    virtual bool colors(HDC /*dc*/, HBRUSH& /*background*/) { return false; }
    // The mouse cursor over the control; null for the one its class gives.
    virtual HCURSOR cursor() const { return nullptr; }
    // The picture an image shows, which shows through the images in front of it.
    virtual const Pixels* picture() const { return nullptr; }

protected:
    // Creates the native window in its container (FormWindow::parentOf), behind the controls
    // made there before it, and hands it to the form.
    void create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                const RECT& bounds);
    // The row's rectangle in its container, in pixels.
    RECT place() const;
    // The row's font, or the window's.
    Font rowFont() const;
    // The window's own handling; the form follows the focus among its controls.
    virtual LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The toolkit's setFocus: at once when the window can be active, else when it next is.
    void takeFocus(FocusMove how);

    FormWindow& form_;
    const ControlSpec& row_;
    const int tableRow_;
    HWND hwnd_ = nullptr;

private:
    void detach();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
};

// The window's rectangle in its parent's client coordinates.
RECT boundsInParent(HWND window);

// A native control of the forms runtime that is a child window.
template <class Interface> class NativeChild : public Interface, public Child {
public:
    using Child::Child;

    void setEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    void setVisible(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    void setFocus(FocusMove how) override { takeFocus(how); }
    bool hasFocus() const override { return hwnd_ != nullptr && GetFocus() == hwnd_; }
    // MSAA reads out every shown child window: one that lies outside its parent's client area
    // is never seen and goes unshown. One drawn only for its look it reads all the same.
    void hideFromScreenReaders() override {
        RECT area{}, seen{};
        GetClientRect(GetParent(hwnd_), &area);
        const RECT mine = boundsInParent(hwnd_);
        if (!IntersectRect(&seen, &area, &mine)) ShowWindow(hwnd_, SW_HIDE);
    }
};

// The window's siblings behind it, from the back one forward: the order to draw them in.
std::vector<HWND> siblingsBehind(HWND window);

// An image, with the pictures it draws (Drawing.cpp).
std::unique_ptr<NativeControl> createImage(FormWindow& form, const ControlSpec& row, int tableRow);

} // namespace tk::win32
