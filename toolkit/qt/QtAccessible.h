#pragma once

class QWidget;

namespace tk::qt {

// What screen readers are told of the program's windows beyond what Qt says by itself: a
// window is a frame, one with a dialog frame a dialog. Installed with the application.
void describeWindowsToScreenReaders();

// Screen readers pass over the widget: it is drawn only for its look, or never seen.
void passOverForScreenReaders(QWidget& widget);

} // namespace tk::qt
