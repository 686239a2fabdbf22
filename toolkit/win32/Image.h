#pragma once

#include "Child.h"
#include "toolkit/Pixels.h"

#include <string_view>

namespace tk::win32 {

// One of the pictures the program carries as resources, read by the system's own decoders: a
// GIF through OLE's picture loading, an icon as an icon. It is drawn at its own size, its
// pixels at 96 dots per inch, grown with the layout on a screen of more; its transparent
// pixels are left out.
class Picture {
public:
    // The picture of that name, loaded on first use and kept for the life of the program;
    // null when the program has none of that name or it cannot be read.
    static const Picture* named(std::string_view name);

    // Draws it over the canvas with its top left corner at x, y.
    void draw(Pixels& canvas, int x, int y) const;

private:
    Pixels pixels_;
    mutable Pixels shown_; // at the screen's size, made on first use
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
