#pragma once

#include "Win32.h"
#include "toolkit/Layout.h"

namespace tk::win32 {

// The screen's dots per inch, across and down.
int screenDpiX();
int screenDpiY();

// The font at the screen's resolution, made once and kept for the life of the program.
HFONT font(const Font& font);
// The same font as it is at 96 dots per inch, the resolution the layouts are drawn for.
HFONT fontAt96Dpi(const Font& font);

} // namespace tk::win32
