#pragma once

#include "Child.h"

#include <string_view>

struct IPicture;

namespace tk::win32 {

// One of the pictures the program carries as resources, loaded by the system's own
// decoders: a GIF through OLE's picture loading, an icon as an icon. Drawn at its own size,
// with its transparent pixels left out.
class Picture {
public:
    // The picture of that name, loaded on first use and kept for the life of the program;
    // null when the program has none of that name or it cannot be read.
    static const Picture* named(std::string_view name);

    void draw(HDC dc, int x, int y) const;

private:
    HICON icon_ = nullptr;
    IPicture* picture_ = nullptr;
    int width_ = 0, height_ = 0;                  // in pixels
    LONG himetricWidth_ = 0, himetricHeight_ = 0; // an OLE picture's size in 0.01 mm
};

// An icon of the named picture for a window's title bar or task bar, as near the size as
// the picture has, kept for the life of the program; null when there is none. ProgramIcon
// is the icon the program file shows.
HICON windowIcon(std::string_view name, int size);

// The program's cursor of that name, with its own hot spot; null when it carries none.
HCURSOR namedCursor(std::string_view name);

// An image: a Static that paints its picture over what lies behind it, the window's
// background and the images further back.
class Image final : public NativeChild<NativeControl> {
public:
    Image(FormWindow& form, const ControlSpec& row, int id, HWND parent);

    bool colors(HDC dc, HBRUSH& background) override;
    // MSAA names it by its text, which it never draws.
    void setAccessibleName(std::string_view name) override;

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint(HDC dc) const;

    const Picture* picture_;
};

} // namespace tk::win32
