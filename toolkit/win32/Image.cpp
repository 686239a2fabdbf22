#include "Image.h"

#include "Font.h"
#include "Text.h"

#include <ole2.h>
#include <olectl.h>

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

} // namespace

const Picture* Picture::named(std::string_view name) {
    static std::map<std::string, std::unique_ptr<Picture>, std::less<>> loaded;
    if (const auto found = loaded.find(name); found != loaded.end()) return found->second.get();

    auto picture = std::make_unique<Picture>();
    if (const Bytes bytes = resourceBytes(name); bytes.size >= 6) {
        if (std::memcmp(bytes.data, "GIF8", 4) == 0) {
            picture->picture_ = oleLoadPicture(bytes);
            if (picture->picture_) {
                // The picture's size in 0.01 mm, drawn at the screen's resolution.
                picture->picture_->get_Width(&picture->himetricWidth_);
                picture->picture_->get_Height(&picture->himetricHeight_);
                picture->width_ = MulDiv(picture->himetricWidth_, screenDpiX(), 2540);
                picture->height_ = MulDiv(picture->himetricHeight_, screenDpiY(), 2540);
            }
        } else {
            const auto [icon, side] = iconFromFile(bytes, 0);
            picture->icon_ = icon;
            picture->width_ = picture->height_ = side;
        }
    }
    if (!picture->icon_ && !picture->picture_) picture.reset();
    return loaded.emplace(std::string(name), std::move(picture)).first->second.get();
}

void Picture::draw(HDC dc, int x, int y) const {
    if (icon_) {
        DrawIconEx(dc, x, y, icon_, width_, height_, 0, nullptr, DI_NORMAL);
    } else if (picture_) {
        // Pictures count their rows from the bottom.
        picture_->Render(dc, x, y, width_, height_, 0, himetricHeight_, himetricWidth_,
                         -himetricHeight_, nullptr);
    }
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

    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // Drawn in the container's coordinates.
    POINT origin{};
    SetViewportOrgEx(memory, -place.left, -place.top, &origin);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);

    for (HWND sibling : siblingsBehind(hwnd_)) {
        const Child* child = Child::of(sibling);
        if (!child || child->row().kind != Kind::Image || !IsWindowVisible(sibling)) continue;
        const auto* image = static_cast<const Image*>(child);
        if (!image->picture_) continue;
        const RECT other = boundsInParent(sibling);
        image->picture_->draw(memory, other.left, other.top);
    }
    if (picture_) picture_->draw(memory, place.left, place.top);

    SetViewportOrgEx(memory, origin.x, origin.y, nullptr);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

} // namespace tk::win32
