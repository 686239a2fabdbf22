#pragma once

#include "Win32.h"

#include <vector>

// The program's top-level windows and the dispatching of their events.
namespace tk::win32::forms {

void add(HWND window);
// The window has been shown: from now on its closing can end the program.
void markOpen(HWND window);
// Forgets the window; true when it had been shown and no shown window is left.
bool remove(HWND window);
bool contains(HWND window);
bool anyOpen();

// Disables the program's enabled windows other than `keep`, returning them for enable().
std::vector<HWND> disableAllExcept(HWND keep);
void enable(const std::vector<HWND>& windows);

// The program's active window, or null when another program's window is active.
HWND activeForm();

// Sent to the active form for Tab (wParam 1) and Shift+Tab (wParam 0): the form walks its own
// tab order.
constexpr UINT TabKey = WM_APP + 2;

// One message of the queue: the keyboard interface of the active window (Tab, Enter,
// Escape, mnemonics) first, then the usual translation and dispatch.
void dispatch(MSG& message);

// A keystroke that pressed a button, or that was down when a box or a modal window closed,
// ends there: its auto-repeats and its release reach nothing, in any message loop of the
// program.
// A button is being pressed: the key whose press is being dispatched, if any, is spent.
void spendKeyBeingPressed();
// A box or a modal window has just closed: the keys held down are spent.
void spendHeldKeys();
// Another program has the keyboard: the keys held down are let go there.
void forgetKeys();

} // namespace tk::win32::forms
