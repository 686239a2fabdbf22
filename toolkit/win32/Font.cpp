#include "Font.h"

#include "Text.h"

#include <cmath>
#include <map>
#include <string>
#include <tuple>

namespace tk::win32 {

namespace {

int screenCaps(int index) {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, index) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
}

} // namespace

int screenDpiX() {
    static const int dpi = screenCaps(LOGPIXELSX);
    return dpi;
}

int screenDpiY() {
    static const int dpi = screenCaps(LOGPIXELSY);
    return dpi;
}

HFONT font(const Font& wanted) {
    // Character height in pixels, negative so that GDI matches the em height (8.25 pt is
    // 11 pixels at 96 DPI).
    const int height = -static_cast<int>(std::lround(wanted.points * screenDpiY() / 72.0));
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, HFONT> fonts;
    const std::wstring face = widen(wanted.face);
    HFONT& made = fonts[Key{face, height, wanted.bold, wanted.underline}];
    if (!made) {
        made = CreateFontW(height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE,
                           wanted.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
        if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return made;
}

} // namespace tk::win32
