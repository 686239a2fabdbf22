#pragma once

#include "Child.h"

namespace tk::win32 {

// A horizontal or vertical line: a Static filled with the line's colour.
class Line final : public NativeChild<NativeControl> {
public:
    Line(FormWindow& form, const ControlSpec& row, int id, HWND parent);

    bool colors(HDC dc, HBRUSH& background) override;
};

} // namespace tk::win32
