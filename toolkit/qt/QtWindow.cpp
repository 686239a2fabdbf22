#include "QtWindow.h"

#include "Activation.h"
#include "QtConvert.h"

#include <QApplication>
#include <QWindow>

#include <stdexcept>

namespace tk::qt {

namespace {

Qt::WindowFlags windowFlags(const WindowSpec& window) {
    Qt::WindowFlags flags =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (window.border == WindowBorder::FixedDialog) return flags | Qt::Dialog;
    flags |= Qt::Window | Qt::WindowSystemMenuHint;
    if (window.minButton) flags |= Qt::WindowMinimizeButtonHint;
    if (window.maxButton) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

// Qt reads "[*]" in a title as the place of the modified mark; doubled it stands for itself.
QString literalTitle(std::string_view caption) {
    QString title = toQString(caption);
    title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return title;
}

std::string displayName(std::string_view name, int index) {
    std::string result(name);
    if (index >= 0) result += "(" + std::to_string(index) + ")";
    return result;
}

template <class T>
T& find(const std::vector<Named<T>>& list, const std::string& window, const char* kind,
        std::string_view name, int index) {
    for (const Named<T>& entry : list)
        if (entry.name == name && entry.index == index) return *entry.control;
    throw std::out_of_range(window + " has no " + kind + " " + displayName(name, index));
}

} // namespace

QtWindow::QtWindow(const WindowSpec& window, std::span<const ControlSpec> controls)
    : name_(window.name), form_(std::make_unique<FormWidget>()) {
    form_->setObjectName(toQString(window.name));
    form_->setWindowFlags(windowFlags(window));
    const Scale scale = Scale::ofPrimaryScreen();
    form_->setFixedSize(scale.x(window.clientWidth), scale.y(window.clientHeight));
    if (window.position) form_->move(scale.x(window.position->x), scale.y(window.position->y));
    form_->setFont(toQFont(window.font));
    setBackground(*form_, window.backColor);
    setCaption(window.caption);
    form_->setWindowIcon(windowIcon(window.icon));
    controls_ = buildControls(*form_, window, controls);
    form_->onClosed = [this] { closed(); };
}

QtWindow::~QtWindow() {
    form_->onClosed = nullptr;
    if (modalLoop_ != nullptr) modalLoop_->quit();
    // The controls let go of their widgets first, so that no handler runs while the
    // widgets are taken down.
    controls_ = ControlSet{};
}

void QtWindow::show() {
    setTimersRunning(true);
    form_->show();
    activateNow(*form_);
}

void QtWindow::showModal() {
    const QPointer<QWidget> owner = QApplication::activeWindow();
    if (!owner.isNull() && owner != form_.get()) {
        form_->winId();
        if (QWindow* handle = form_->windowHandle(); handle != nullptr)
            handle->setTransientParent(owner->windowHandle());
    }
    form_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    modalLoop_ = &loop;
    const QPointer<FormWidget> form = form_.get();
    show();
    // A handler may have unloaded the window while it was being shown, or destroyed it; the
    // destructor ends the loop, and nothing of the window is left to touch.
    if (!form.isNull() && form->isVisible()) loop.exec(QEventLoop::DialogExec);
    if (!form.isNull()) {
        modalLoop_ = nullptr;
        form_->setWindowModality(Qt::NonModal);
        if (QWindow* handle = form_->windowHandle(); handle != nullptr)
            handle->setTransientParent(nullptr);
    }
    // Back to the window that was active before, as Windows does for a modal window's owner.
    if (!owner.isNull() && owner->isVisible() && QApplication::activeWindow() == nullptr)
        activateNow(*owner);
}

void QtWindow::unload() {
    form_->close();
}

void QtWindow::closed() {
    setTimersRunning(false);
    if (modalLoop_ != nullptr) modalLoop_->quit();
}

void QtWindow::setTimersRunning(bool running) {
    for (Named<QtTimer>& entry : controls_.timers)
        entry.control->setWindowOpen(running);
}

void QtWindow::setCaption(std::string_view caption) {
    caption_ = caption;
    form_->setWindowTitle(literalTitle(caption));
}

Label& QtWindow::label(std::string_view name, int index) {
    return find(controls_.labels, name_, "label", name, index);
}

TextBox& QtWindow::textBox(std::string_view name, int index) {
    return find(controls_.textBoxes, name_, "text box", name, index);
}

Button& QtWindow::button(std::string_view name, int index) {
    return find(controls_.buttons, name_, "button", name, index);
}

Timer& QtWindow::timer(std::string_view name) {
    return find(controls_.timers, name_, "timer", name, -1);
}

} // namespace tk::qt

namespace tk {

std::unique_ptr<Window> createWindow(const WindowSpec& window,
                                     std::span<const ControlSpec> controls) {
    return std::make_unique<qt::QtWindow>(window, controls);
}

} // namespace tk
