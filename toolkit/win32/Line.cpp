#include "Line.h"

#include "Colors.h"
#include "toolkit/LineBounds.h"

namespace tk::win32 {

Line::Line(FormWindow& form, const ControlSpec& row, int id, HWND parent)
    : NativeChild(form, row, id) {
    // The row holds the end points x1, y1, x2, y2.
    const RECT first = pixelBounds(row.left, row.top, 0, 0);
    const RECT second = pixelBounds(row.width, row.height, 0, 0);
    const PixelBounds line =
        lineBounds(first.left, first.top, second.left, second.top, row.lineWidth);
    create(L"Static", L"", SS_LEFT, 0, parent,
           RECT{line.left, line.top, line.left + line.width, line.top + line.height});
}

bool Line::colors(HDC dc, HBRUSH& background) {
    const Color color = row_.foreColor.value_or(WindowText);
    SetBkColor(dc, colorRef(color));
    background = brush(color);
    return true;
}

} // namespace tk::win32
