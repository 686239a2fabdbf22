#pragma once

#include "Win32.h"

#include <string>
#include <string_view>

namespace tk::win32 {

// The toolkit's texts are UTF-8; the native controls hold UTF-16.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The text of a window, whole.
std::wstring windowText(HWND window);

// Positions in a UTF-16 text as characters (code points) and back; a surrogate pair is one
// character.
int unitsToChars(std::wstring_view text, int units);
int charsToUnits(std::wstring_view text, int chars);

} // namespace tk::win32
