#include "Window.h"

#include "Native.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace tk {

namespace {

// The windows that exist, for the one that is active.
std::vector<Window*>& windows() {
    static std::vector<Window*> list;
    return list;
}

constexpr const char* KindNames[] = {"label", "text box", "button", "picture box",
                                     "image", "line",     "timer"};

template <class Entry>
Entry* lookUp(const std::vector<std::unique_ptr<Entry>>& list, Kind kind, std::string_view name,
              int index) {
    for (const auto& entry : list)
        if (entry->row().kind == kind && entry->row().name == name && entry->row().index == index)
            return entry.get();
    return nullptr;
}

[[noreturn]] void unknown(const std::string& window, Kind kind, std::string_view name, int index) {
    std::string message = window;
    message += " has no ";
    message += KindNames[static_cast<int>(kind)];
    message += ' ';
    message += controlName(name, index);
    throw std::invalid_argument(message);
}

// How many picture boxes the row lies in; an unknown holder is a programming error.
int depth(const std::string& window, std::span<const ControlSpec> rows, const ControlSpec& row) {
    int levels = 0;
    for (std::string_view holder = row.container; !holder.empty(); ++levels) {
        const auto box = std::find_if(rows.begin(), rows.end(), [holder](const ControlSpec& r) {
            return r.kind == Kind::PictureBox && r.name == holder;
        });
        if (box == rows.end() || levels == static_cast<int>(rows.size())) {
            std::string message = window;
            message += " has no picture box ";
            message += holder;
            message += " to hold ";
            message += row.name;
            throw std::invalid_argument(message);
        }
        holder = box->container;
    }
    return levels;
}

bool beforeInTabOrder(const Control* a, const Control* b) {
    const auto place = [](const Control* control) {
        return control->row().tabIndex >= 0 ? control->row().tabIndex : INT_MAX;
    };
    return place(a) < place(b);
}

} // namespace

Window::Window(const WindowSpec& window, std::span<const ControlSpec> controls)
    : name_(window.name), caption_(window.caption), clientWidth_(window.clientWidth),
      clientHeight_(window.clientHeight), native_(createNativeWindow(window, *this)) {
    build(controls);
    std::vector<int> rows;
    for (const Control* control : tabOrder_)
        rows.push_back(control->tableRow());
    native_->setTabOrder(rows);
    describeForScreenReaders();
    windows().push_back(this);
}

Window::~Window() {
    std::erase(windows(), this);
}

// Containers come before the controls they hold, so a container may follow its controls in
// the table; the controls of one container are made in table order, front to back, each
// behind those made before it.
void Window::build(std::span<const ControlSpec> rows) {
    const int count = static_cast<int>(rows.size());
    std::vector<int> depths(rows.size());
    for (int i = 0; i < count; ++i)
        depths[i] = depth(name_, rows, rows[i]);
    for (int level = 0, made = 0; made < count; ++level)
        for (int i = 0; i < count; ++i)
            if (depths[i] == level) {
                create(rows[i], i);
                ++made;
            }
}

void Window::create(const ControlSpec& row, int index) {
    std::unique_ptr<Control> control;
    switch (row.kind) {
    case Kind::Label: {
        auto label = std::make_unique<Label>(*this, row, index);
        label->native_ = native_->createLabel(index, *label);
        control = std::move(label);
        break;
    }
    case Kind::TextBox: {
        auto box = std::make_unique<TextBox>(*this, row, index);
        box->native_ = native_->createTextBox(index, *box);
        control = std::move(box);
        break;
    }
    case Kind::Button: {
        auto button = std::make_unique<Button>(*this, row, index);
        button->native_ = native_->createButton(index, *button);
        control = std::move(button);
        break;
    }
    case Kind::PictureBox:
    case Kind::Image:
    case Kind::Line: {
        auto drawn = std::make_unique<Static>(*this, row, index);
        drawn->native_ = native_->createStatic(index, row);
        control = std::move(drawn);
        break;
    }
    case Kind::Timer: {
        auto timer = std::make_unique<Timer>(row);
        timer->native_ = native_->createTimer(index, *timer);
        timer->update();
        timers_.push_back(std::move(timer));
        return;
    }
    }
    if (row.kind == Kind::TextBox || row.kind == Kind::Button)
        tabOrder_.insert(
            std::upper_bound(tabOrder_.begin(), tabOrder_.end(), control.get(), beforeInTabOrder),
            control.get());
    controls_.push_back(std::move(control));
}

// Screen readers hear each control's name. A text box has its label's words in its name, as
// one label may stand before several fields; a label named by another (a clock by its
// heading) is linked to it. They pass over what is drawn only for its look and what lies
// outside its container, where nobody sees it.
void Window::describeForScreenReaders() {
    for (const auto& control : controls_) {
        const ControlSpec& row = control->row();
        NativeControl& native = control->native();
        native.setAccessibleName(control->accessibleName());
        if (row.kind == Kind::Label && !row.label.empty())
            native_->setLabel(control->tableRow(), label(row.label).tableRow());
        if (row.decorative || liesOutsideItsContainer(*control)) native.hideFromScreenReaders();
    }
}

bool Window::liesOutsideItsContainer(const Control& control) const {
    const ControlSpec& row = control.row();
    if (row.kind == Kind::Line) return false; // its row holds end points
    const Control* holder = lookUp(controls_, Kind::PictureBox, row.container, -1);
    const int width = holder != nullptr ? holder->row().width : clientWidth_;
    const int height = holder != nullptr ? holder->row().height : clientHeight_;
    return row.left >= width || row.top >= height || row.left + row.width <= 0 ||
           row.top + row.height <= 0;
}

void Window::show() {
    setOpen(true);
    native_->show();
}

void Window::showModal() {
    Window* owner = active();
    if (owner == this) owner = nullptr;
    setOpen(true);
    native_->showModal();
    // This window may be gone by now, destroyed by a handler while it was shown.
    returnTo(owner);
}

void Window::unload() {
    native_->close();
}

void Window::setCaption(std::string_view caption) {
    caption_ = caption;
    native_->setCaption(caption_);
}

Control& Window::control(Kind kind, std::string_view name, int index) const {
    if (Control* found = lookUp(controls_, kind, name, index)) return *found;
    unknown(name_, kind, name, index);
}

Label& Window::label(std::string_view name, int index) {
    return static_cast<Label&>(control(Kind::Label, name, index));
}

TextBox& Window::textBox(std::string_view name, int index) {
    return static_cast<TextBox&>(control(Kind::TextBox, name, index));
}

Button& Window::button(std::string_view name, int index) {
    return static_cast<Button&>(control(Kind::Button, name, index));
}

Timer& Window::timer(std::string_view name) {
    if (Timer* found = lookUp(timers_, Kind::Timer, name, -1)) return *found;
    unknown(name_, Kind::Timer, name, -1);
}

Button* Window::dialogButton(DialogKey key) const {
    Button* chosen = nullptr;
    for (Control* control : tabOrder_) {
        if (control->row().kind != Kind::Button) continue;
        auto* button = static_cast<Button*>(control);
        if (key == DialogKey::Enter && button->hasFocus()) return button;
        const bool role =
            key == DialogKey::Enter ? button->row().isDefault : button->row().isCancel;
        if (chosen == nullptr && role && button->enabled() && button->visible()) chosen = button;
    }
    return chosen;
}

bool Window::pressDialogButton(DialogKey key) {
    Button* button = dialogButton(key);
    if (button == nullptr) return false;
    button->native().click();
    return true;
}

void Window::tab(bool forward) {
    const int count = static_cast<int>(tabOrder_.size());
    int at = forward ? -1 : count;
    for (int i = 0; i < count; ++i)
        if (tabOrder_[i]->native().hasFocus()) at = i;
    moveFocusOn(at, forward, nullptr);
}

bool Window::moveFocusOn(int from, bool forward, const Control* passOver) {
    const int count = static_cast<int>(tabOrder_.size());
    for (int step = 1; step <= count; ++step) {
        Control& next = *tabOrder_[((forward ? from + step : from - step) % count + count) % count];
        if (&next == passOver || !next.takesFocus()) continue;
        if (next.row().kind == Kind::TextBox) {
            auto& box = static_cast<TextBox&>(next);
            box.setSelStart(0);
            box.setSelLength(static_cast<int>(box.text().size()));
        }
        next.native().setFocus(forward ? FocusMove::Next : FocusMove::Previous);
        return true;
    }
    return false;
}

void Window::closed() {
    setOpen(false);
}

void Window::showDefaultButton() {
    const Button* pressed = dialogButton(DialogKey::Enter);
    for (Control* control : tabOrder_)
        if (control->row().kind == Kind::Button)
            static_cast<Button*>(control)->native().showAsDefault(control == pressed);
}

void Window::focusAwayFrom(const Control& control) {
    if (!control.native().hasFocus()) return;
    const auto at = std::find(tabOrder_.begin(), tabOrder_.end(), &control) - tabOrder_.begin();
    if (!moveFocusOn(static_cast<int>(at), true, &control)) native_->clearFocus();
}

// A closed window's timers stop; they go on when it is shown again.
void Window::setOpen(bool open) {
    closed_ = !open;
    for (const auto& timer : timers_)
        timer->setWindowOpen(open);
}

Window* Window::active() {
    for (Window* window : windows())
        if (window->native_->active()) return window;
    return nullptr;
}

// Back to the window that was active before, as Windows does for a modal window's owner,
// unless the owner went meanwhile or another window took over.
void Window::returnTo(Window* owner) {
    const std::vector<Window*>& list = windows();
    if (owner == nullptr || std::find(list.begin(), list.end(), owner) == list.end()) return;
    if (owner->native_->visible() && active() == nullptr) owner->native_->activate();
}

void msgBox(std::string_view text, std::string_view title, MsgIcon icon) {
    Window* const owner = Window::active();
    showMessageBox(text, title, icon);
    Window::returnTo(owner);
}

std::unique_ptr<Window> createWindow(const WindowSpec& window,
                                     std::span<const ControlSpec> controls) {
    return std::make_unique<Window>(window, controls);
}

std::string controlName(std::string_view name, int index) {
    std::string result(name);
    if (index >= 0) {
        result += '(';
        result += std::to_string(index);
        result += ')';
    }
    return result;
}

} // namespace tk
