#pragma once

#include "toolkit/Native.h"

#include <Qt>

#include <memory>

class QKeyEvent;
class QWidget;

// The program's event loop as its windows meet it: their timers, and what the keyboard does
// beyond the widget with the focus.
namespace tk::qt {

// A timer's native half, which reports its ticks to it.
std::unique_ptr<NativeTimer> newTimer(Timer& timer);

// How Qt is told of a move of the focus to the widget: a keyboard move has its focus drawn,
// as does any move in a window in which a key was pressed.
Qt::FocusReason focusReason(const QWidget& widget, FocusMove how);

// A keystroke that pressed a button, or that was down when a box or a modal window closed,
// ends there: neither its auto-repeats nor its release reach anything after.
// The key being pressed has pressed a button.
void spendKey(const QKeyEvent& event);
// A box or a modal window has just closed over the window `beneath` (null for none): the
// keys held down reach nothing until they are let go, and `beneath` shows its focus as
// after a keyboard move when a key closed it.
void spendHeldKeys(QWidget* beneath);

} // namespace tk::qt
