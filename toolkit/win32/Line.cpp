#include "Line.h"

#include "Colors.h"

#include <algorithm>

namespace tk::win32 {

Line::Line(FormWindow& form, const ControlSpec& row, int id, HWND parent)
    : NativeChild(form, row, id) {
    // The row holds the end points x1, y1, x2, y2.
    const RECT first = pixelBounds(row.left, row.top, 0, 0);
    const RECT second = pixelBounds(row.width, row.height, 0, 0);
    const RECT ends{first.left, first.top, second.left, second.top};
    const int thickness = std::max(row.lineWidth, 1);
    const int before = (thickness - 1) / 2; // the thickness lies across the line's middle
    RECT bounds{std::min(ends.left, ends.right), std::min(ends.top, ends.bottom),
                std::max(ends.left, ends.right), std::max(ends.top, ends.bottom)};
    if (bounds.bottom - bounds.top <= bounds.right - bounds.left) {
        bounds.top -= before;
        bounds.bottom = bounds.top + thickness;
    } else {
        bounds.left -= before;
        bounds.right = bounds.left + thickness;
    }
    create(L"Static", L"", SS_LEFT, 0, parent, bounds);
}

bool Line::colors(HDC dc, HBRUSH& background) {
    const Color color = row_.foreColor.value_or(WindowText);
    SetBkColor(dc, colorRef(color));
    background = brush(color);
    return true;
}

} // namespace tk::win32
