#pragma once

#include "Layout.h"
#include "Program.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tk {

class Button;
class Control;
class Label;
class TextBox;
class Timer;
class Window;

// What a back end provides: the native half of every window and control, which shows it,
// keeps what the user can change (a text box's text and selection, the focus) and reports
// the user's input to the control it was made for (Label::reportClick and the like). The
// forms rules live in Window and the controls, written once for every back end.
//
// A native control lets go of its window-system object when it is destroyed, so that no
// report reaches the control from then on; the native window takes the window-system objects
// down with it and reports nothing from its destructor on.

// How the focus comes to a control: set by a handler, or moved along the tab order by Tab
// (Next), Shift+Tab (Previous) or away from a control that was disabled or hidden (Next).
enum class FocusMove { Set, Next, Previous };

class NativeControl {
public:
    virtual ~NativeControl() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual void setVisible(bool visible) = 0;
    // Text boxes and buttons: moving the focus here runs the control's focus handling before
    // it returns; in a window that is not active, the control takes the focus when it is.
    // A move made with the keyboard shows where the focus went.
    virtual void setFocus(FocusMove /*how*/) {}
    virtual bool hasFocus() const { return false; }
    // What a screen reader calls the control (Control::accessibleName), where the window
    // system would not say it so by itself.
    virtual void setAccessibleName(std::string_view /*name*/) {}
    // Drawn for its look only: screen readers pass over it.
    virtual void hideFromScreenReaders() {}
};

class NativeLabel : public NativeControl {
public:
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setColors(Color fore, Color back) = 0;
};

// Positions and lengths count characters; a selection reaching past the text ends with it.
class NativeTextBox : public NativeControl {
public:
    // Writes the text without reporting a change and puts the selection back at the start.
    virtual void setText(std::string_view text) = 0;
    virtual std::string text() const = 0;
    virtual void setSelStart(int start) = 0;
    virtual int selStart() const = 0;
    virtual void setSelLength(int length) = 0;
    virtual int selLength() const = 0;
};

class NativeButton : public NativeControl {
public:
    virtual void setCaption(std::string_view caption) = 0;
    // Pressed as by the user: the click is reported.
    virtual void click() = 0;
    // Drawn as the button that Enter presses, or as the others.
    virtual void showAsDefault(bool isDefault) = 0;
};

class NativeTimer {
public:
    virtual ~NativeTimer() = default;
    // One tick at the clock's next multiple of the interval (TimerPhase.h), in place of a
    // tick still pending.
    virtual void schedule(int interval) = 0;
    virtual void stop() = 0;
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    // Each control is made behind those made before it in the same container, showing the
    // state its control holds. `row` is its place in the layout table, by which the calls
    // below name it; its container, a picture box named in the row, is made before it.
    virtual std::unique_ptr<NativeLabel> createLabel(int row, Label& label) = 0;
    virtual std::unique_ptr<NativeTextBox> createTextBox(int row, TextBox& box) = 0;
    virtual std::unique_ptr<NativeButton> createButton(int row, Button& button) = 0;
    // A picture box, an image or a line: drawn, never changed.
    virtual std::unique_ptr<NativeControl> createStatic(int row, const ControlSpec& layout) = 0;
    virtual std::unique_ptr<NativeTimer> createTimer(int row, Timer& timer) = 0;
    // The order in which the window system hands out the focus by itself, as rows: to the
    // first control that can take it when the window is activated and no control has it.
    virtual void setTabOrder(std::span<const int> rows) = 0;
    // For screen readers: the label of row `labelRow` names the control of row `row`, a clock
    // by its heading.
    virtual void setLabel(int /*row*/, int /*labelRow*/) {}

    virtual void setCaption(std::string_view caption) = 0;
    virtual void show() = 0;
    // Shown modally, owned by the program's window that is active (if one is): the
    // program's other windows take no input. Returns once the window is closed, also when
    // it is destroyed meanwhile.
    virtual void showModal() = 0;
    // Closes the window, as its title bar's close button does; reported to Window::closed.
    virtual void close() = 0;
    virtual bool visible() const = 0;
    virtual bool active() const = 0;
    virtual void activate() = 0;
    // No control keeps the focus; the window itself keeps the keyboard.
    virtual void clearFocus() = 0;
};

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec& layout, Window& window);

// A message box with one OK button, modal to the whole program, owned by the program's window
// that is active (if one is); returns once it is closed.
void showMessageBox(std::string_view text, std::string_view title, MsgIcon icon);

} // namespace tk
