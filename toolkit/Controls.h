#pragma once

#include "Color.h"
#include "Layout.h"
#include "Native.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tk {

class Window;

// Shift state of key and mouse events: the sum of the keys held.
constexpr int ShiftMask = 1;
constexpr int CtrlMask = 2;
constexpr int AltMask = 4;

// Key codes are the Windows virtual-key codes, reported for Enter, the letters and the digits
// at least; a typed character is its character code.
constexpr int KeyReturn = 13;

constexpr int LeftButton = 1;
constexpr int RightButton = 2;
constexpr int MiddleButton = 4;

// A control of a window, made from its row of the layout table. It keeps the state code sets
// and the rules that hold on every window system; its native half (Native.h) shows it and
// reports the user's input through the report functions. Texts are UTF-8; selection
// positions and lengths count characters.
class Control {
public:
    // `tableRow` is the row's place in the layout table.
    Control(Window& window, const ControlSpec& row, int tableRow);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // A control that is disabled or hidden keeps no focus: it moves on to the next control
    // in the tab order (Window::focusAwayFrom).
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }
    void setVisible(bool visible);
    bool visible() const { return visible_; }

    const ControlSpec& row() const { return row_; }
    int tableRow() const { return tableRow_; }
    // Whether the focus may come here: a text box or button, enabled and visible.
    bool takesFocus() const;
    // What a screen reader calls the control: its caption as spoken (spokenText); an image's
    // caption names its picture.
    virtual std::string accessibleName() const;
    virtual NativeControl& native() const = 0;

protected:
    // For the controls that take the focus: nothing happens where it may not come.
    void setFocus();
    bool hasFocus() const;

    Window& window_;

private:
    const ControlSpec row_;
    const int tableRow_;
    bool enabled_;
    bool visible_ = true;
};

class Label final : public Control {
public:
    Label(Window& window, const ControlSpec& row, int tableRow);

    // A write that changes nothing draws nothing.
    void setCaption(std::string_view caption);
    std::string caption() const { return caption_; }
    void setBackColor(Color color);
    Color backColor() const { return backColor_; }
    void setForeColor(Color color);
    Color foreColor() const { return foreColor_; }
    std::string accessibleName() const override;
    NativeLabel& native() const override { return *native_; }

    std::function<void()> onClick;

    void reportClick();

private:
    friend class Window;
    std::unique_ptr<NativeLabel> native_;
    std::string caption_;
    Color foreColor_;
    Color backColor_;
};

// Writing the text from code runs onChange exactly once before the write returns, also when
// the text is unchanged; moving the focus here runs onGotFocus before setFocus returns.
class TextBox final : public Control {
public:
    using Control::Control;

    void setText(std::string_view text);
    std::string text() const;
    void setSelStart(int start);
    int selStart() const;
    void setSelLength(int length);
    int selLength() const;
    using Control::hasFocus;
    using Control::setFocus;
    int maxLength() const { return row().maxLength; }
    std::string toolTip() const { return std::string(row().toolTip); }
    // Its label's words before the room left for the fields, and its tooltip: "Shutdown
    // time: hours".
    std::string accessibleName() const override;
    NativeTextBox& native() const override { return *native_; }

    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void(int& keyAscii)> onKeyPress; // set keyAscii to 0 to discard the character
    std::function<void(int keyCode, int shift)> onKeyUp;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;

    // The user changed the text; the focus came here; a key typed a character (setting the
    // code to 0 discards it); a key or mouse button went up.
    void reportChange();
    void reportGotFocus();
    void reportKeyPress(int& keyAscii);
    void reportKeyUp(int keyCode, int shift);
    void reportMouseUp(int button, int shift, int x, int y);

private:
    friend class Window;
    std::unique_ptr<NativeTextBox> native_;
};

class Button final : public Control {
public:
    Button(Window& window, const ControlSpec& row, int tableRow);

    void setCaption(std::string_view caption);
    std::string caption() const { return caption_; }
    std::string accessibleName() const override;
    NativeButton& native() const override { return *native_; }
    using Control::hasFocus;
    using Control::setFocus;

    // A standard push button keeps its background colour without drawing it.
    void setBackColor(Color color) { backColor_ = color; }
    Color backColor() const { return backColor_; }

    std::function<void()> onClick;

    void reportClick();

private:
    friend class Window;
    std::unique_ptr<NativeButton> native_;
    std::string caption_;
    Color backColor_ = ButtonFace;
};

// A picture box, an image or a line: drawn, never changed.
class Static final : public Control {
public:
    using Control::Control;
    NativeControl& native() const override { return *native_; }

private:
    friend class Window;
    std::unique_ptr<NativeControl> native_;
};

// Ticks while enabled with an interval above 0 and while its window is open, on the clock's
// multiples of the interval.
class Timer {
public:
    explicit Timer(const ControlSpec& row);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setInterval(int milliseconds);
    int interval() const { return interval_; }
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    const ControlSpec& row() const { return row_; }

    std::function<void()> onTick;

    // A tick that comes after the timer stopped is dropped; the next one is asked for before
    // the handler runs, since a message box it opens waits for a while.
    void reportTick();

private:
    friend class Window;
    bool running() const;
    void update();
    // A closed window's timers stop; they go on when it is shown again.
    void setWindowOpen(bool open);

    const ControlSpec row_;
    std::unique_ptr<NativeTimer> native_;
    int interval_;
    bool enabled_;
    bool windowOpen_ = true;
};

} // namespace tk
