#include "FakeToolkit.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace tk {

namespace {

class FakeLabel final : public Fake<NativeLabel> {
public:
    using Fake::Fake;
    void setCaption(std::string_view) override {}
    void setColors(Color, Color) override {}
};

class FakeTextBox final : public Fake<NativeTextBox> {
public:
    FakeTextBox(FakeWindow& window, TextBox& box)
        : Fake(window, [&box] { box.reportGotFocus(); }), text_(box.row().caption) {}
    void setText(std::string_view text) override {
        text_ = text;
        start_ = length_ = 0;
    }
    std::string text() const override { return text_; }
    void setSelStart(int start) override { start_ = std::min(start, size()); }
    int selStart() const override { return start_; }
    void setSelLength(int length) override { length_ = std::min(length, size() - start_); }
    int selLength() const override { return length_; }

private:
    int size() const { return static_cast<int>(text_.size()); }
    std::string text_;
    int start_ = 0;
    int length_ = 0;
};

class FakeButton final : public Fake<NativeButton> {
public:
    FakeButton(FakeWindow& window, Button& button) : Fake(window, {}), button_(button) {}
    void setCaption(std::string_view) override {}
    void click() override { button_.reportClick(); }
    void showAsDefault(bool) override {}

private:
    Button& button_;
};

} // namespace

FakeWindow::FakeWindow(Window& window) : window_(window) {
    last = this;
    ++alive;
}

FakeWindow::~FakeWindow() {
    if (active_ == this) active_ = nullptr;
    --alive;
}

std::unique_ptr<NativeLabel> FakeWindow::createLabel(int row, Label& label) {
    return record(row, label.row(), std::make_unique<FakeLabel>(*this, nullptr));
}

std::unique_ptr<NativeTextBox> FakeWindow::createTextBox(int row, TextBox& box) {
    return record(row, box.row(), std::make_unique<FakeTextBox>(*this, box));
}

std::unique_ptr<NativeButton> FakeWindow::createButton(int row, Button& button) {
    return record(row, button.row(), std::make_unique<FakeButton>(*this, button));
}

std::unique_ptr<NativeControl> FakeWindow::createStatic(int row, const ControlSpec& layout) {
    return record(row, layout, std::make_unique<FakeLabel>(*this, nullptr));
}

std::unique_ptr<NativeTimer> FakeWindow::createTimer(int, Timer&) {
    auto native = std::make_unique<FakeTimer>();
    timer = native.get();
    return native;
}

void FakeWindow::show() {
    shown = true;
    activate();
}

void FakeWindow::showModal() {
    modalOwner = active_;
    show();
    const auto events = fake::whileModal;
    if (events) events(window_);
}

void FakeWindow::close() {
    shown = false;
    if (active_ == this) active_ = nullptr;
    window_.closed();
}

// A control's container must have been made before it.
template <class T>
std::unique_ptr<T> FakeWindow::record(int row, const ControlSpec& layout,
                                      std::unique_ptr<T> control) {
    const bool holderMade =
        std::find(names_.begin(), names_.end(), layout.container) != names_.end();
    const std::string holder = layout.container.empty() ? "the window"
                               : holderMade             ? std::string(layout.container)
                                                        : "a box not made yet";
    made.push_back(std::string(layout.name) + " in " + holder + ", row " + std::to_string(row));
    names_.emplace_back(layout.name);
    return control;
}

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec&, Window& window) {
    return std::make_unique<FakeWindow>(window);
}

// The box is the active window while it is open.
void showMessageBox(std::string_view text, std::string_view title, MsgIcon icon) {
    FakeWindow::active_ = nullptr;
    fake::boxes.push_back({std::string(text), std::string(title), icon});
    const std::function<void()> events = fake::whileBox;
    if (events) events();
}

Application::Application(int&, char**, std::string_view) {}
Application::~Application() = default;
int Application::run() {
    return 0;
}

std::optional<std::string> missingDisplay() {
    return std::nullopt;
}

void initCommonControls() {}

void doEvents() {
    std::vector<std::function<void()>> events;
    events.swap(fake::waiting);
    for (const auto& event : events)
        event();
}

void endProgram() {
    throw fake::ProgramEnded{};
}

} // namespace tk

namespace fake {

void reset() {
    boxes.clear();
    whileBox = nullptr;
    whileModal = nullptr;
    waiting.clear();
}

void type(tk::TextBox& box, std::string_view characters) {
    for (const char character : characters) {
        int code = static_cast<unsigned char>(character);
        box.reportKeyPress(code);
        if (code != 0) {
            std::string text = box.text();
            const auto start = static_cast<std::size_t>(box.selStart());
            const auto length = static_cast<std::size_t>(box.selLength());
            if (box.maxLength() == 0 ||
                text.size() - length < static_cast<std::size_t>(box.maxLength())) {
                text.replace(start, length, 1, static_cast<char>(code));
                box.native().setText(text);
                box.setSelStart(static_cast<int>(start) + 1);
                box.reportChange();
            }
        }
        box.reportKeyUp(std::toupper(static_cast<unsigned char>(character)), 0);
    }
}

void clickInto(tk::TextBox& box) {
    box.setFocus();
    box.setSelStart(static_cast<int>(box.text().size()));
    box.setSelLength(0);
    box.reportMouseUp(tk::LeftButton, 0, 0, 0);
}

void click(tk::Button& button) {
    if (!button.enabled() || !button.visible())
        throw std::logic_error("a click on a button that takes none: " + button.caption());
    button.setFocus();
    button.native().click();
}

} // namespace fake
