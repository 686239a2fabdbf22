#pragma once

#include "toolkit/Native.h"

#include <Qt>

class QKeyEvent;
class QWidget;

namespace tk::qt {

// What the keyboard does beyond the widget with the focus, for every window of the program:
// - a window in which a key was pressed shows where its focus is, as after a Tab;
// - a keystroke that pressed a button, or that was down when a box or a modal window closed,
//   ends there: neither its auto-repeats nor its release reach anything after.
// Watched from the application's construction on.
void watchKeyboard();

// How Qt is told of a move of the focus to the widget: a keyboard move has its focus drawn.
Qt::FocusReason focusReason(const QWidget& widget, FocusMove how);

// The key being pressed has pressed a button.
void spendKey(const QKeyEvent& event);

// A box or a modal window has just closed over the window `beneath` (null for none): the
// keys held down reach nothing until they are let go, and `beneath` shows its focus as
// after a keyboard move when a key closed it.
void spendHeldKeys(QWidget* beneath);

} // namespace tk::qt
