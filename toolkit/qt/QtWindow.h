#pragma once

class QKeyEvent;
class QWidget;

namespace tk {
class Window;
}

// The windows, as their controls and the program's message boxes meet them.
namespace tk::qt {

// The program's window that is active, or null when none is.
QWidget* activeForm();

// Whether the key presses one of the window's buttons rather than reaching the control with
// the focus.
bool takesDialogKey(const Window& window, const QKeyEvent& event);

// What screen readers are told of the program's windows beyond what Qt says by itself: a
// window is a frame, one with a dialog frame a dialog. Installed with the application.
void describeWindowsToScreenReaders();

// Screen readers pass over the widget: it is drawn only for its look, or never seen.
void passOverForScreenReaders(QWidget& widget);

} // namespace tk::qt
