#include "Image.h"

#include "Font.h"
#include "Text.h"
#include "toolkit/Twips.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace tk::win32 {

namespace {

// The resource of the program's own icon group: the first, which the shell shows.
constexpr WORD ProgramIconResource = 1;

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

} // namespace

const Picture* Picture::named(std::string_view name) {
    static std::map<std::string, std::unique_ptr<Picture>, std::less<>> loaded;
    if (const auto found = loaded.find(name); found != loaded.end()) return found->second.get();

    auto picture = std::make_unique<Picture>();
    if (const Bytes bytes = resourceBytes(name); bytes.size >= 6) {
        if (std::memcmp(bytes.data, "GIF8", 4) == 0) {
            if (IPicture* ole = oleLoadPicture(bytes)) {
                // Its size in 0.01 mm, drawn at the screen's resolution; pictures count their
                // rows from the bottom.
                LONG himetricWidth = 0, himetricHeight = 0;
                ole->get_Width(&himetricWidth);
                ole->get_Height(&himetricHeight);
                const int width = MulDiv(himetricWidth, screenDpiX(), 2540);
                const int height = MulDiv(himetricHeight, screenDpiY(), 2540);
                picture->pixels_ = captured(width, height, [&](HDC dc) {
                    ole->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth,
                                -himetricHeight, nullptr);
                });
                ole->Release();
            }
        } else if (const auto [icon, side] = iconFromFile(bytes, 0); icon) {
            picture->pixels_ = captured(side, side, [&](HDC dc) {
                DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
            });
            DestroyIcon(icon);
        }
    }
    if (picture->pixels_.argb.empty()) picture.reset();
    return loaded.emplace(std::string(name), std::move(picture)).first->second.get();
}

void Picture::draw(Pixels& canvas, int x, int y) const {
    if (shown_.argb.empty()) {
        const auto shown = [](int pixels, int dotsPerInch) {
            return twipsToPixels(pixels * TwipsPerPixelAt96Dpi, dotsPerInch);
        };
        shown_ = resized(pixels_, shown(pixels_.width, screenDpiX()),
                         shown(pixels_.height, screenDpiY()));
    }
    drawOver(canvas, shown_, x, y);
}

HICON windowIcon(std::string_view name, int size) {
    static std::map<std::pair<std::string, int>, HICON> loaded;
    const auto key = std::make_pair(std::string(name), size);
    if (const auto found = loaded.find(key); found != loaded.end()) return found->second;
    HICON icon = nullptr;
    if (name == ProgramIcon)
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(ProgramIconResource), IMAGE_ICON,
                                             size, size, LR_DEFAULTCOLOR));
    else if (!name.empty())
        icon = iconFromFile(resourceBytes(name), size).first;
    loaded.emplace(key, icon);
    return icon;
}

HCURSOR namedCursor(std::string_view name) {
    // Shared: the system keeps a resource cursor for the life of the program.
    return static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), resourceName(name).c_str(),
                                           IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

Image::Image(FormWindow& form, const ControlSpec& row, int id, HWND parent)
    : NativeChild(form, row, id),
      picture_(row.picture.empty() ? nullptr : Picture::named(row.picture)) {
    create(L"Static", L"", SS_LEFT, 0, parent,
           pixelBounds(row.left, row.top, row.width, row.height));
}

void Image::setAccessibleName(std::string_view name) {
    SetWindowTextW(hwnd_, widen(name).c_str());
}

bool Image::colors(HDC dc, HBRUSH& background) {
    SetBkMode(dc, TRANSPARENT);
    background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return true;
}

LRESULT Image::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT paintStruct{};
        HDC dc = BeginPaint(window, &paintStruct);
        paint(dc);
        EndPaint(window, &paintStruct);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        break;
    }
    return Child::message(window, msg, wParam, lParam);
}

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
        if (!child || child->row().kind != Kind::Image || !IsWindowVisible(sibling)) continue;
        const auto* image = static_cast<const Image*>(child);
        if (!image->picture_) continue;
        const RECT other = boundsInParent(sibling);
        image->picture_->draw(pixels, other.left - place.left, other.top - place.top);
    }
    if (picture_) picture_->draw(pixels, 0, 0);
    canvas.write(pixels);
    BitBlt(dc, 0, 0, client.right, client.bottom, canvas.dc(), 0, 0, SRCCOPY);
}

} // namespace tk::win32
