#pragma once

#include "Color.h"

#include <functional>
#include <string>
#include <string_view>

namespace tk {

// Shift state of key and mouse events: the sum of the keys held.
constexpr int ShiftMask = 1;
constexpr int CtrlMask = 2;
constexpr int AltMask = 4;

// Key codes are the Windows virtual-key codes; a typed character is its character code.
constexpr int KeyReturn = 13;

constexpr int LeftButton = 1;
constexpr int RightButton = 2;
constexpr int MiddleButton = 4;

// What every control that is a window of its own can do. Texts are UTF-8; selection
// positions and lengths count characters.
class Control {
public:
    virtual ~Control() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
};

class Label : public Control {
public:
    virtual void setCaption(std::string_view caption) = 0;
    virtual std::string caption() const = 0;
    virtual void setBackColor(Color color) = 0;
    virtual Color backColor() const = 0;
    virtual void setForeColor(Color color) = 0;
    virtual Color foreColor() const = 0;

    std::function<void()> onClick;
};

// Writing the text from code runs onChange exactly once before the write returns, also when
// the text is unchanged; moving the focus here runs onGotFocus before setFocus returns.
class TextBox : public Control {
public:
    virtual void setText(std::string_view text) = 0;
    virtual std::string text() const = 0;
    virtual void setSelStart(int start) = 0;
    virtual int selStart() const = 0;
    virtual void setSelLength(int length) = 0;
    virtual int selLength() const = 0;
    virtual void setFocus() = 0;
    virtual bool hasFocus() const = 0;
    virtual int maxLength() const = 0;
    virtual std::string toolTip() const = 0;

    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void(int& keyAscii)> onKeyPress; // set keyAscii to 0 to discard the character
    std::function<void(int keyCode, int shift)> onKeyUp;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;
};

class Button : public Control {
public:
    virtual void setCaption(std::string_view caption) = 0;
    virtual std::string caption() const = 0;
    virtual void setFocus() = 0;
    virtual bool hasFocus() const = 0;

    // A standard push button keeps its background colour without drawing it.
    void setBackColor(Color color) { backColor_ = color; }
    Color backColor() const { return backColor_; }

    std::function<void()> onClick;

private:
    Color backColor_ = ButtonFace;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;

    std::function<void()> onTick;
};

} // namespace tk
