#pragma once

#include <Qt>

class QKeyEvent;

namespace tk::qt {

// The Windows virtual-key code of the key, or 0 for a key without one.
int virtualKeyCode(const QKeyEvent& event);

// The character code the key types (Enter 13, Backspace 8, Escape 27, Ctrl+letter 1..26),
// or 0 when it types nothing.
int typedCharCode(const QKeyEvent& event);

// The sum of ShiftMask, CtrlMask and AltMask for the keys held.
int shiftMask(Qt::KeyboardModifiers modifiers);

// LeftButton, RightButton or MiddleButton; 0 for other buttons.
int mouseButtonCode(Qt::MouseButton button);

} // namespace tk::qt
