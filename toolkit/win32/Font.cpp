#include "Font.h"

#include "Text.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>

namespace tk::win32 {

namespace {

// The resolution the layouts are drawn for.
constexpr int LayoutDpi = 96;

int screenCaps(int index) {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, index) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
}

HFONT create(const Font& wanted, const std::wstring& face, int pixels, BYTE precision,
             BYTE family) {
    // Negative, so that GDI matches the em height.
    return CreateFontW(-pixels, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE,
                       wanted.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, precision,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | family, face.c_str());
}

// Whether the font is a raster font whose em height misses `pixels` by more than a pixel;
// its family either way.
bool rasterOffSize(HFONT font, int pixels, BYTE& family) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    family = metrics.tmPitchAndFamily & 0xF0;
    const bool raster = (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) == 0;
    return raster && std::abs(metrics.tmHeight - metrics.tmInternalLeading - pixels) > 1;
}

// The outline face of the same design, which Windows has from 2000 on.
std::wstring outlineFace(const std::wstring& face) {
    return face == L"MS Sans Serif" ? L"Microsoft Sans Serif" : face;
}

HFONT fontAt(const Font& wanted, int dotsPerInch) {
    // 8.25 points are 11 pixels at 96 dots per inch.
    const int pixels = static_cast<int>(std::lround(wanted.points * dotsPerInch / 72.0));
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, HFONT> fonts;
    const std::wstring face = widen(wanted.face);
    HFONT& made = fonts[Key{face, pixels, wanted.bold, wanted.underline}];
    if (made) return made;
    made = create(wanted, face, pixels, OUT_DEFAULT_PRECIS, FF_DONTCARE);
    // A raster face has a few sizes, those made for the screen's resolution, and grows only by
    // whole multiples. On a screen of 96 dots per inch, the resolution the layouts are drawn
    // for, they take its nearest size as it is; on any other, a size that misses the height by
    // more than a pixel gives way to the nearest outline face.
    BYTE family = FF_DONTCARE;
    if (made && screenDpiY() != LayoutDpi && rasterOffSize(made, pixels, family)) {
        if (HFONT outline = create(wanted, outlineFace(face), pixels, OUT_TT_ONLY_PRECIS, family)) {
            DeleteObject(made);
            made = outline;
        }
    }
    if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return made;
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
    return fontAt(wanted, screenDpiY());
}

HFONT fontAt96Dpi(const Font& wanted) {
    return fontAt(wanted, LayoutDpi);
}

} // namespace tk::win32
