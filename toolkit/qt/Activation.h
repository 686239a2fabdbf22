#pragma once

class QWidget;

namespace tk::qt {

// Makes the window the active one at once, as showing a window does on Windows, so that
// focus moves made right after reach their controls; the window system's own activation
// follows and changes nothing.
void activateNow(QWidget& window);

} // namespace tk::qt
