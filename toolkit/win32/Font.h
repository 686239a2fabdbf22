#pragma once

#include "Win32.h"
#include "toolkit/Layout.h"

namespace tk::win32 {

// The screen's dots per inch, across and down.
int screenDpiX();
int screenDpiY();

// The font, made once and kept for the life of the program.
HFONT font(const Font& font);

} // namespace tk::win32
