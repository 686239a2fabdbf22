#pragma once

#include "Controls.h"
#include "Layout.h"
#include "Program.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

class NativeWindow;

enum class DialogKey { Enter, Escape };

// A top-level window built from its layout table. Creating it creates every control, not
// yet shown; the form's load handling runs between creation and the first show. It keeps
// the forms rules that hold on every window system: look-up, the order in which controls are
// made, the tab order, the default and cancel buttons and where the focus goes after a modal
// window. Its native half (Native.h) shows it.
class Window {
public:
    Window(const WindowSpec& window, std::span<const ControlSpec> controls);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void show();      // modeless
    void showModal(); // returns once the window is unloaded, or destroyed
    void unload();    // closes the window; a modal show then returns

    void setCaption(std::string_view caption);
    std::string caption() const { return caption_; }
    // Whether the window has been closed since it was last shown.
    bool isClosed() const { return closed_; }

    // Look-ups by name and control-array index; an unknown name is a programming error
    // (std::invalid_argument).
    Label& label(std::string_view name, int index = -1);
    TextBox& textBox(std::string_view name, int index = -1);
    Button& button(std::string_view name, int index = -1);
    Timer& timer(std::string_view name);

    // For the back ends: the keyboard interface and the window's closing.
    // The button the key presses here: Enter the button with the focus, else the enabled and
    // visible default button; Escape the enabled and visible cancel button. Null when there
    // is none, and the key goes to the control with the focus.
    Button* dialogButton(DialogKey key) const;
    bool pressDialogButton(DialogKey key);
    // Tab and Shift+Tab: the focus goes to the next control in the tab order that can take
    // it, round from the last to the first; a text box it comes to has its text selected.
    void tab(bool forward);
    // The window was closed, from code or from its title bar.
    void closed();
    // The focus moved: the button that Enter presses now is drawn as the default button, as
    // in the system's dialogs, and the others are not.
    void showDefaultButton();

    // Before the control with the focus is disabled or hidden: the focus moves on to the next
    // control in the tab order that can take it, as Tab would; with none, the window keeps
    // the keyboard.
    void focusAwayFrom(const Control& control);

private:
    friend void msgBox(std::string_view, std::string_view, MsgIcon);

    void build(std::span<const ControlSpec> rows);
    void describeForScreenReaders();
    bool liesOutsideItsContainer(const Control& control) const;
    void create(const ControlSpec& row, int index);
    Control& control(Kind kind, std::string_view name, int index) const;
    // Moves the focus to the first control after place `from` of the tab order (before it,
    // going back) that can take it, other than `passOver`; false when there is none.
    bool moveFocusOn(int from, bool forward, const Control* passOver);
    void setOpen(bool open);
    // The program's active window, and the way back to it once a modal window or box is gone.
    static Window* active();
    static void returnTo(Window* owner);

    std::string name_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    std::unique_ptr<NativeWindow> native_;
    // Declared after the native window, so that they let go of it before it goes.
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<Control*> tabOrder_;
    bool closed_ = false;
};

std::unique_ptr<Window> createWindow(const WindowSpec& window,
                                     std::span<const ControlSpec> controls);

// How a control is called: "name", or "name(index)" for a member of a control array.
std::string controlName(std::string_view name, int index);

} // namespace tk
