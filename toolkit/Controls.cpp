#include "Controls.h"

#include "Native.h"
#include "Spoken.h"
#include "Window.h"

#include <utility>

namespace tk {

namespace {

// Runs a handler from a copy, so that a handler which replaces itself, or destroys its
// control, is not destroyed while it runs.
template <class Handler, class... Args> void fire(const Handler& handler, Args&&... args) {
    if (!handler) return;
    const Handler copy = handler;
    copy(std::forward<Args>(args)...);
}

} // namespace

Control::Control(Window& window, const ControlSpec& row, int tableRow)
    : window_(window), row_(row), tableRow_(tableRow), enabled_(row.enabled) {}

Control::~Control() = default;

void Control::setEnabled(bool enabled) {
    if (!enabled) window_.focusAwayFrom(*this);
    enabled_ = enabled;
    native().setEnabled(enabled);
}

void Control::setVisible(bool visible) {
    if (!visible) window_.focusAwayFrom(*this);
    visible_ = visible;
    native().setVisible(visible);
}

void Control::setFocus() {
    if (takesFocus()) native().setFocus(FocusMove::Set);
}

bool Control::hasFocus() const {
    return native().hasFocus();
}

bool Control::takesFocus() const {
    return (row_.kind == Kind::TextBox || row_.kind == Kind::Button) && enabled_ && visible_;
}

std::string Control::accessibleName() const {
    return spokenText(row_.caption);
}

Label::Label(Window& window, const ControlSpec& row, int tableRow)
    : Control(window, row, tableRow), caption_(row.caption),
      foreColor_(row.foreColor.value_or(ButtonText)),
      backColor_(row.backColor.value_or(ButtonFace)) {}

void Label::setCaption(std::string_view caption) {
    if (caption == caption_) return;
    caption_ = caption;
    native().setCaption(caption_);
    native().setAccessibleName(accessibleName());
}

std::string Label::accessibleName() const {
    return spokenText(caption_);
}

void Label::setBackColor(Color color) {
    if (color == backColor_) return;
    backColor_ = color;
    native().setColors(foreColor_, backColor_);
}

void Label::setForeColor(Color color) {
    if (color == foreColor_) return;
    foreColor_ = color;
    native().setColors(foreColor_, backColor_);
}

void Label::reportClick() {
    fire(onClick);
}

void TextBox::setText(std::string_view text) {
    native().setText(text);
    fire(onChange);
}

std::string TextBox::text() const {
    return native().text();
}

void TextBox::setSelStart(int start) {
    native().setSelStart(start);
}

int TextBox::selStart() const {
    return native().selStart();
}

void TextBox::setSelLength(int length) {
    native().setSelLength(length);
}

int TextBox::selLength() const {
    return native().selLength();
}

std::string TextBox::accessibleName() const {
    std::string name =
        row().label.empty() ? std::string() : leadingPhrase(window_.label(row().label).caption());
    const std::string tip = spokenText(row().toolTip);
    if (!name.empty() && !tip.empty()) name += ' ';
    return name + tip;
}

void TextBox::reportChange() {
    fire(onChange);
}

void TextBox::reportGotFocus() {
    fire(onGotFocus);
}

void TextBox::reportKeyPress(int& keyAscii) {
    fire(onKeyPress, keyAscii);
}

void TextBox::reportKeyUp(int keyCode, int shift) {
    fire(onKeyUp, keyCode, shift);
}

void TextBox::reportMouseUp(int button, int shift, int x, int y) {
    fire(onMouseUp, button, shift, x, y);
}

Button::Button(Window& window, const ControlSpec& row, int tableRow)
    : Control(window, row, tableRow), caption_(row.caption) {}

void Button::setCaption(std::string_view caption) {
    caption_ = caption;
    native().setCaption(caption_);
    native().setAccessibleName(accessibleName());
}

std::string Button::accessibleName() const {
    return spokenText(caption_);
}

void Button::reportClick() {
    fire(onClick);
}

Timer::Timer(const ControlSpec& row)
    : row_(row), interval_(row.interval), enabled_(row.timerEnabled) {}

Timer::~Timer() = default;

bool Timer::running() const {
    return enabled_ && interval_ > 0 && windowOpen_;
}

void Timer::update() {
    if (running())
        native_->schedule(interval_);
    else
        native_->stop();
}

void Timer::setInterval(int milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    update();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    update();
}

void Timer::setWindowOpen(bool open) {
    if (open == windowOpen_) return;
    windowOpen_ = open;
    update();
}

void Timer::reportTick() {
    if (!running()) return;
    native_->schedule(interval_);
    fire(onTick);
}

} // namespace tk
