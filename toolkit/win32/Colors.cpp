#include "Colors.h"

#include <map>

namespace tk::win32 {

COLORREF colorRef(Color color) {
    if (isSystemColor(color)) return GetSysColor(systemColorIndex(color));
    return RGB(red(color), green(color), blue(color));
}

HBRUSH brush(Color color) {
    if (isSystemColor(color)) return GetSysColorBrush(systemColorIndex(color));
    static std::map<Color, HBRUSH> brushes;
    HBRUSH& made = brushes[color & 0x00FFFFFFu];
    if (!made) made = CreateSolidBrush(colorRef(color));
    return made;
}

} // namespace tk::win32
