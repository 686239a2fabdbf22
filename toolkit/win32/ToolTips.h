#pragma once

#include "Win32.h"

#include <string>

namespace tk::win32 {

// The tool tips of a window's controls. The tip window belongs to the window and goes
// with it.
class ToolTips {
public:
    explicit ToolTips(HWND owner);
    void add(HWND control, const std::wstring& text);

private:
    HWND owner_;
    HWND tips_ = nullptr;
};

} // namespace tk::win32
