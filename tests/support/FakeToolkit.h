#pragma once

// A back end of the forms toolkit that only records what the core asks of it and takes the
// user's input by hand, with no window system at all: the core's rules and the windows'
// behaviour run on it at once, message boxes and the event processing included. What Qt or
// Windows themselves must do is tested on them.

#include "toolkit/Native.h"
#include "toolkit/Window.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

class FakeWindow;

template <class Interface> class Fake : public Interface {
public:
    Fake(FakeWindow& window, std::function<void()> gotFocus)
        : window_(window), gotFocus_(std::move(gotFocus)) {}
    void setEnabled(bool) override {}
    void setVisible(bool) override {}
    // The focus moves at once and reports the move, as both window systems do; a control
    // that has it already hears nothing.
    void setFocus(FocusMove how) override;
    bool hasFocus() const override;

private:
    FakeWindow& window_;
    std::function<void()> gotFocus_;
};

class FakeTimer final : public NativeTimer {
public:
    void schedule(int interval) override { scheduled = interval; }
    void stop() override { scheduled = 0; }
    int scheduled = 0; // the interval of the next tick asked for; 0 for none
};

class FakeWindow final : public NativeWindow {
public:
    explicit FakeWindow(Window& window);
    ~FakeWindow() override;

    std::unique_ptr<NativeLabel> createLabel(int row, Label& label) override;
    std::unique_ptr<NativeTextBox> createTextBox(int row, TextBox& box) override;
    std::unique_ptr<NativeButton> createButton(int row, Button& button) override;
    std::unique_ptr<NativeControl> createStatic(int row, const ControlSpec& layout) override;
    std::unique_ptr<NativeTimer> createTimer(int row, Timer& timer) override;
    void setTabOrder(std::span<const int>) override {}

    void setCaption(std::string_view) override {}
    // Shown, it is the active window, as a window just shown is.
    void show() override;
    // The events of its modal loop come from fake::whileModal.
    void showModal() override;
    void close() override;
    bool visible() const override { return shown; }
    bool active() const override { return active_ == this; }
    void activate() override { active_ = this; }
    void clearFocus() override { focus = nullptr; }

    static inline FakeWindow* last = nullptr; // the one made last
    static inline int alive = 0;
    static inline FakeWindow* active_ = nullptr;

    const NativeControl* focus = nullptr;
    FocusMove lastMove = FocusMove::Set;
    bool shown = false;
    NativeWindow* modalOwner = nullptr;
    FakeTimer* timer = nullptr;
    std::vector<std::string> made; // "name in container, row n", in the order they were made

private:
    template <class T>
    std::unique_ptr<T> record(int row, const ControlSpec& layout, std::unique_ptr<T> control);

    Window& window_;
    std::vector<std::string_view> names_;
};

template <class Interface> void Fake<Interface>::setFocus(FocusMove how) {
    window_.lastMove = how;
    if (hasFocus()) return;
    window_.focus = this;
    if (gotFocus_) gotFocus_();
}

template <class Interface> bool Fake<Interface>::hasFocus() const {
    return window_.focus == this && window_.active();
}

} // namespace tk

// What the program's event loop does in this back end, and the user's hand.
namespace fake {

struct Box {
    std::string text;
    std::string title;
    tk::MsgIcon icon = tk::MsgIcon::None;
};

// Every message box shown, in order. A box closes as soon as `whileBox` has run: the events
// that come while it is open, such as ticks.
inline std::vector<Box> boxes;
inline std::function<void()> whileBox;
// The events that come while a window is shown modally, which may close or destroy it.
inline std::function<void(tk::Window& shown)> whileModal;
// The events that are waiting, which the next event processing (tk::doEvents) dispatches.
inline std::vector<std::function<void()>> waiting;

// What tk::endProgram throws here, so that a test sees the program end.
struct ProgramEnded {};

// Forgets the boxes and the events of an earlier test.
void reset();

// Presses and lets go of a key for each character, in the text box with the focus: the key
// press (which may discard the character), the character put in place of the selection
// unless the box is full, and the key's release. "\r" is Enter.
void type(tk::TextBox& box, std::string_view characters);
// A click into the text box: the caret goes to the end of its text.
void clickInto(tk::TextBox& box);
// A click on a button, which the user can make only while it is enabled and visible; the
// button takes the focus.
void click(tk::Button& button);

} // namespace fake
