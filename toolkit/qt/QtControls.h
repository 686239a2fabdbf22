#pragma once

#include "QtDrawing.h"

#include "toolkit/Native.h"

#include <memory>

class QLabel;

// The native halves of the controls, each on a widget of its own that belongs to the window.
// A widget may be gone once its window is destroyed; its control then does nothing.
namespace tk::qt {

// A control's native half, and the widget that shows it for the window to link to others.
template <class Native, class Widget = QWidget> struct Made {
    std::unique_ptr<Native> native;
    Widget* widget;
};

// A new widget of the row: its name, place, font and state, behind the widgets made before it.
void place(QWidget& widget, const ControlSpec& row, const Scale& scale);

// Each widget is made in `parent` and placed, shows its control's state and reports the user's
// input to it. A text box leaves the keys that press a button of `window` to the window.
Made<NativeLabel, QLabel> newLabel(QWidget* parent, Label& label, const Scale& scale);
Made<NativeTextBox> newTextBox(QWidget* parent, TextBox& box, const Window& window,
                               const Scale& scale);
Made<NativeButton> newButton(QWidget* parent, Button& button, const Scale& scale);
// A picture box, an image or a line, made and placed: drawn, never changed.
std::unique_ptr<NativeControl> newStatic(QWidget* widget);

} // namespace tk::qt
