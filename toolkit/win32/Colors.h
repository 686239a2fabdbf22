#pragma once

#include "Win32.h"
#include "toolkit/Color.h"

namespace tk::win32 {

COLORREF colorRef(Color color);

// A brush of the colour, kept for the life of the program (a window uses only a few).
HBRUSH brush(Color color);

} // namespace tk::win32
