#pragma once

// What the back end's files share. The Windows headers as the back end uses them (the macros
// come from the build).
#include <windows.h>

#include "toolkit/Color.h"
#include "toolkit/Keystrokes.h"
#include "toolkit/Layout.h"

#include <string>
#include <string_view>
#include <vector>

namespace tk::win32 {

// The toolkit's texts are UTF-8; the native windows hold UTF-16.
std::wstring widen(std::string_view utf8);

// What the controls draw with (Drawing.cpp). Fonts, brushes, icons and cursors are made once
// and kept for the life of the program: a window uses only a few.
int screenDpiX();
int screenDpiY();
// The resolution the layouts are drawn for.
constexpr int LayoutDpi = 96;
// The font at the screen's resolution, or at another.
HFONT font(const Font& font, int dotsPerInch = screenDpiY());
COLORREF colorRef(Color color);
HBRUSH brush(Color color);
// An icon of the named picture for a window's title bar or task bar, as near the size as the
// picture has; null when there is none. ProgramIcon is the icon the program file shows.
HICON windowIcon(std::string_view name, int size);
// The program's cursor of that name, with its own hot spot; null when it carries none.
HCURSOR namedCursor(std::string_view name);

} // namespace tk::win32

// The program's top-level windows and the keyboard interface of their message loops
// (FormWindow.cpp).
namespace tk::win32::forms {

void add(HWND window);
// Forgets the window; true when no window of the program is left.
bool remove(HWND window);
// Disables the program's enabled windows other than `keep`, returning them for enable().
std::vector<HWND> disableAllExcept(HWND keep);
void enable(const std::vector<HWND>& disabled);
// The program's active window, or null when another program's window is active.
HWND activeForm();

// One message of the queue: the keyboard interface of the active window (Tab, Enter,
// Escape, mnemonics) first, then the usual translation and dispatch.
void dispatch(MSG& message);

// A button is being pressed: the key whose press is being dispatched, if any, is spent
// (Keystrokes.h).
void spendKeyBeingPressed();

} // namespace tk::win32::forms
