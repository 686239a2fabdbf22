#include "Controls.h"
#include "toolkit/Pixels.h"
#include "toolkit/Twips.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <utility>

// What the controls draw with: the screen's resolution, fonts, colours, and the pictures the
// program carries as resources, which images show.
namespace tk::win32 {

namespace {

int screenCaps(int index) {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, index) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : LayoutDpi;
}

HFONT createFont(const Font& wanted, const std::wstring& face, int pixels, BYTE precision,
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

} // namespace

int screenDpiX() {
    static const int dpi = screenCaps(LOGPIXELSX);
    return dpi;
}

int screenDpiY() {
    static const int dpi = screenCaps(LOGPIXELSY);
    return dpi;
}

HFONT font(const Font& wanted, int dotsPerInch) {
    // 8.25 points are 11 pixels at 96 dots per inch.
    const int pixels = static_cast<int>(std::lround(wanted.points * dotsPerInch / 72.0));
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, HFONT> fonts;
    const std::wstring face = widen(wanted.face);
    HFONT& made = fonts[Key{face, pixels, wanted.bold, wanted.underline}];
    if (made) return made;
    made = createFont(wanted, face, pixels, OUT_DEFAULT_PRECIS, FF_DONTCARE);
    // A raster face has a few sizes, those made for the screen's resolution, and grows only by
    // whole multiples. On a screen of 96 dots per inch, the resolution the layouts are drawn
    // for, they take its nearest size as it is; on any other, a size that misses the height by
    // more than a pixel gives way to the outline face of the same design, which Windows has
    // from 2000 on.
    BYTE family = FF_DONTCARE;
    if (made && screenDpiY() != LayoutDpi && rasterOffSize(made, pixels, family)) {
        const std::wstring outline = face == L"MS Sans Serif" ? L"Microsoft Sans Serif" : face;
        if (HFONT outlined = createFont(wanted, outline, pixels, OUT_TT_ONLY_PRECIS, family)) {
            DeleteObject(made);
            made = outlined;
        }
    }
    if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return made;
}

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

namespace {

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// Resource names are kept in capitals.
std::wstring resourceName(std::string_view name) {
    std::wstring result;
    for (const char c : name)
        result += static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return result;
}

Bytes resourceBytes(std::string_view name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, resourceName(name).c_str(), RT_RCDATA);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, found)};
}

unsigned word(Bytes bytes, DWORD at) {
    return bytes.data[at] | bytes.data[at + 1] << 8;
}

DWORD dword(Bytes bytes, DWORD at) {
    return word(bytes, at) | static_cast<DWORD>(word(bytes, at + 2)) << 16;
}

// The image of an icon file nearest the size (the most colours among equals), made at that
// size, or at its own size when the size is 0. Returns the icon and its size.
std::pair<HICON, int> iconFromFile(Bytes file, int size) {
    if (file.size < 6 || word(file, 0) != 0 || word(file, 2) != 1) return {nullptr, 0};
    const unsigned count = word(file, 4);
    int best = -1;
    int bestSide = 0;
    unsigned bestBits = 0;
    for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= file.size; ++i) {
        const DWORD at = 6 + 16 * i;
        const int side = file.data[at] ? file.data[at] : 256;
        const unsigned bits = word(file, at + 6);
        const DWORD length = dword(file, at + 8);
        const DWORD offset = dword(file, at + 12);
        if (offset > file.size || length > file.size - offset) continue;
        const bool nearer = best < 0 || std::abs(side - size) < std::abs(bestSide - size) ||
                            (side == bestSide && bits > bestBits);
        if (nearer) {
            best = static_cast<int>(i);
            bestSide = side;
            bestBits = bits;
        }
    }
    if (best < 0) return {nullptr, 0};
    const DWORD at = 6 + 16 * static_cast<DWORD>(best);
    const int side = size > 0 ? size : bestSide;
    // The function only reads the bits, whatever its parameter says.
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(file.data + dword(file, at + 12)),
                                          dword(file, at + 8), TRUE, 0x00030000, side, side,
                                          LR_DEFAULTCOLOR);
    return {icon, icon ? side : 0};
}

// A GIF (or any other picture OLE reads) through the system's picture loading. Its DLL is
// loaded with the first picture and stays loaded: the program imports only what it always
// needs.
IPicture* oleLoadPicture(Bytes bytes) {
    static const auto load = [] {
        HMODULE module = LoadLibraryW(L"oleaut32.dll");
        return module ? reinterpret_cast<decltype(&OleLoadPicture)>(
                            reinterpret_cast<void (*)()>(GetProcAddress(module, "OleLoadPicture")))
                      : nullptr;
    }();
    if (!load || bytes.size == 0) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size);
    if (!memory) return nullptr;
    std::memcpy(GlobalLock(memory), bytes.data, bytes.size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    if (FAILED(load(stream, static_cast<LONG>(bytes.size), FALSE, __uuidof(IPicture),
                    reinterpret_cast<void**>(&picture))))
        picture = nullptr;
    stream->Release();
    return picture;
}

// A 32-bit picture in memory that GDI draws into, rows from the top.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    // What GDI drew, and the pixels drawn back in its place.
    Pixels read() const {
        Pixels pixels{width_, height_, {}};
        if (!bits_) return pixels;
        GdiFlush();
        pixels.argb.assign(bits_, bits_ + static_cast<std::size_t>(width_) * height_);
        return pixels;
    }
    void write(const Pixels& pixels) {
        if (bits_) std::copy(pixels.argb.begin(), pixels.argb.end(), bits_);
    }

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The pixels `draw` paints, with their transparency: drawn over black and over white, a
// pixel shows as much of the white as it lets through.
template <class Draw> Pixels captured(int width, int height, Draw draw) {
    Canvas black(width, height);
    Canvas white(width, height);
    PatBlt(black.dc(), 0, 0, width, height, BLACKNESS);
    PatBlt(white.dc(), 0, 0, width, height, WHITENESS);
    draw(black.dc());
    draw(white.dc());
    Pixels pixels = black.read();
    const Pixels under = white.read();
    for (std::size_t i = 0; i < pixels.argb.size(); ++i) {
        const int through = std::clamp(static_cast<int>((under.argb[i] >> 8) & 0xFF) -
                                           static_cast<int>((pixels.argb[i] >> 8) & 0xFF),
                                       0, 255);
        pixels.argb[i] =
            static_cast<std::uint32_t>(255 - through) << 24 | (pixels.argb[i] & 0xFFFFFF);
    }
    return pixels;
}

// The picture of that name that the program carries as a resource, read by the system's own
// decoders: a GIF through OLE's picture loading, an icon as an icon. Its pixels are at 96 dots
// per inch; it is made the size it shows at on the screen, grown with the layout on a screen
// of more. Empty when the program has none of that name or it cannot be read.
Pixels readPicture(std::string_view name) {
    Pixels pixels;
    const Bytes bytes = resourceBytes(name);
    if (bytes.size < 6) return pixels;
    if (std::memcmp(bytes.data, "GIF8", 4) == 0) {
        if (IPicture* ole = oleLoadPicture(bytes)) {
            // Its size in 0.01 mm, drawn at the screen's resolution; pictures count their
            // rows from the bottom.
            LONG himetricWidth = 0, himetricHeight = 0;
            ole->get_Width(&himetricWidth);
            ole->get_Height(&himetricHeight);
            const int width = MulDiv(himetricWidth, screenDpiX(), 2540);
            const int height = MulDiv(himetricHeight, screenDpiY(), 2540);
            pixels = captured(width, height, [&](HDC dc) {
                ole->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth,
                            -himetricHeight, nullptr);
            });
            ole->Release();
        }
    } else if (const auto [icon, side] = iconFromFile(bytes, 0); icon) {
        pixels = captured(side, side, [&](HDC dc) {
            DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
        });
        DestroyIcon(icon);
    }
    if (pixels.argb.empty()) return pixels;
    const auto shown = [](int count, int dotsPerInch) {
        return twipsToPixels(count * TwipsPerPixelAt96Dpi, dotsPerInch);
    };
    return resized(pixels, shown(pixels.width, screenDpiX()), shown(pixels.height, screenDpiY()));
}

// The picture as readPicture makes it, read on first use and kept for the life of the
// program; null when there is none.
const Pixels* pictureNamed(std::string_view name) {
    static std::map<std::string, Pixels, std::less<>> loaded;
    auto found = loaded.find(name);
    if (found == loaded.end()) found = loaded.emplace(std::string(name), readPicture(name)).first;
    return found->second.argb.empty() ? nullptr : &found->second;
}

// An image: a Static that paints its picture over what lies behind it, the container's
// background and the images further back.
class Image final : public NativeChild<NativeControl> {
public:
    Image(FormWindow& form, const ControlSpec& row, int tableRow)
        : NativeChild(form, row, tableRow), picture_(pictureNamed(row.picture)) {
        create(L"Static", L"", SS_LEFT, 0, place());
    }

    // MSAA names it by its text, which it never draws.
    void setAccessibleName(std::string_view name) override {
        SetWindowTextW(hwnd_, widen(name).c_str());
    }

    const Pixels* picture() const override { return picture_; }

private:
    LRESULT message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ERASEBKGND) return 1; // painted whole in WM_PAINT
        if (msg == WM_PAINT) {
            PAINTSTRUCT paintStruct{};
            paint(BeginPaint(window, &paintStruct));
            EndPaint(window, &paintStruct);
            return 0;
        }
        if (msg != WM_PRINTCLIENT) return Child::message(window, msg, wParam, lParam);
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }

    void paint(HDC dc) const;

    const Pixels* picture_;
};

// Composes in memory what shows through the picture's transparent pixels, back to front:
// the container's background, the images behind this one, then this picture.
void Image::paint(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    HWND parent = GetParent(hwnd_);
    const RECT place = boundsInParent(hwnd_);

    Canvas canvas(client.right, client.bottom);
    // Drawn in the container's coordinates.
    POINT origin{};
    SetViewportOrgEx(canvas.dc(), -place.left, -place.top, &origin);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    SetViewportOrgEx(canvas.dc(), origin.x, origin.y, nullptr);

    Pixels pixels = canvas.read();
    for (HWND sibling : siblingsBehind(hwnd_)) {
        const Child* child = Child::of(sibling);
        const Pixels* behind = child ? child->picture() : nullptr;
        if (!behind || !IsWindowVisible(sibling)) continue;
        const RECT other = boundsInParent(sibling);
        drawOver(pixels, *behind, other.left - place.left, other.top - place.top);
    }
    if (picture_) drawOver(pixels, *picture_, 0, 0);
    canvas.write(pixels);
    BitBlt(dc, 0, 0, client.right, client.bottom, canvas.dc(), 0, 0, SRCCOPY);
}

} // namespace

std::unique_ptr<NativeControl> createImage(FormWindow& form, const ControlSpec& row, int tableRow) {
    return std::make_unique<Image>(form, row, tableRow);
}

HICON windowIcon(std::string_view name, int size) {
    static std::map<std::pair<std::string, int>, HICON> loaded;
    const auto key = std::make_pair(std::string(name), size);
    if (const auto found = loaded.find(key); found != loaded.end()) return found->second;
    // The program's own icon group is the first, which the shell shows.
    HICON icon = name == ProgramIcon
                     ? static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                     IMAGE_ICON, size, size, LR_DEFAULTCOLOR))
                     : iconFromFile(resourceBytes(name), size).first;
    loaded.emplace(key, icon);
    return icon;
}

HCURSOR namedCursor(std::string_view name) {
    // Shared: the system keeps a resource cursor for the life of the program.
    return static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), resourceName(name).c_str(),
                                           IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

} // namespace tk::win32
