#pragma once

#include "Child.h"

namespace tk::win32 {

// A picture box holding other controls: a Static that the keyboard interface walks into.
class PictureBox final : public NativeChild<NativeControl> {
public:
    PictureBox(FormWindow& form, const ControlSpec& row, int id, HWND parent);

    bool colors(HDC dc, HBRUSH& background) override;

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace tk::win32
