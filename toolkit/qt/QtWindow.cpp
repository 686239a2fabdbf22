#include "QtWindow.h"

#include "QtControls.h"
#include "QtDrawing.h"
#include "QtProgram.h"
#include "toolkit/LineBounds.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QWindow>

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

// Makes the window the active one at once, as showing a window does on Windows, so that
// focus moves made right after reach their controls; the window system's own activation
// follows and changes nothing.
void activateNow(QWidget& window) {
    window.activateWindow();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(&window);
    QT_WARNING_POP
}

} // namespace

QtWindow::QtWindow(const WindowSpec& layout, Window& window)
    : window_(window), scale_(Scale::ofPrimaryScreen()),
      form_(std::make_unique<FormWidget>(window)) {
    form_->setObjectName(toQString(layout.name));
    form_->setWindowFlags(windowFlags(layout));
    form_->setFixedSize(scale_.x(layout.clientWidth), scale_.y(layout.clientHeight));
    if (layout.position) form_->move(scale_.x(layout.position->x), scale_.y(layout.position->y));
    form_->setFont(toQFont(layout.font));
    setBackground(*form_, layout.backColor);
    setCaption(layout.caption);
    form_->setWindowIcon(picture(layout.icon));
    form_->onClosed = [this] {
        window_.closed();
        if (modalLoop_ != nullptr) modalLoop_->quit();
    };
    focusMoved_ = QObject::connect(qApp, &QApplication::focusChanged, form_.get(),
                                   [this] { window_.showDefaultButton(); });
}

QtWindow::~QtWindow() {
    QObject::disconnect(focusMoved_);
    form_->onClosed = nullptr;
    if (modalLoop_ != nullptr) modalLoop_->quit();
}

QWidget* QtWindow::box(const ControlSpec& spec) const {
    const auto box = pictureBoxes_.find(spec.container);
    return box != pictureBoxes_.end() ? box->second : form_.get();
}

std::unique_ptr<NativeLabel> QtWindow::createLabel(int row, Label& label) {
    auto made = newLabel(box(label.row()), label, scale_);
    widgets_[row] = labels_[row] = made.widget;
    return std::move(made.native);
}

std::unique_ptr<NativeTextBox> QtWindow::createTextBox(int row, TextBox& box) {
    auto made = newTextBox(this->box(box.row()), box, window_, scale_);
    widgets_[row] = made.widget;
    return std::move(made.native);
}

std::unique_ptr<NativeButton> QtWindow::createButton(int row, Button& button) {
    auto made = newButton(box(button.row()), button, scale_);
    widgets_[row] = made.widget;
    return std::move(made.native);
}

std::unique_ptr<NativeControl> QtWindow::createStatic(int, const ControlSpec& spec) {
    if (spec.kind == Kind::PictureBox) return createPictureBox(spec);
    if (spec.kind == Kind::Line) return createLine(spec);
    QWidget* image = newImage(box(spec), spec.picture, scale_);
    place(*image, spec, scale_);
    return newStatic(image);
}

std::unique_ptr<NativeControl> QtWindow::createPictureBox(const ControlSpec& spec) {
    auto* frame = new QFrame(box(spec));
    place(*frame, spec, scale_);
    if (spec.border) frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setBackground(*frame, spec.backColor.value_or(ButtonFace));
    // The controls' positions count from inside the border, and nothing of them is drawn
    // over it. That area carries the picture box's name, as the parent of its controls; the
    // frame around it is unnamed.
    frame->setObjectName(QString());
    auto* inside = new QWidget(frame);
    inside->setObjectName(toQString(controlName(spec.name, spec.index)));
    inside->setGeometry(frame->contentsRect());
    pictureBoxes_[spec.name] = inside;
    return newStatic(frame);
}

// A line row holds the two end points.
std::unique_ptr<NativeControl> QtWindow::createLine(const ControlSpec& spec) {
    auto* line = new QWidget(box(spec));
    place(*line, spec, scale_);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    const PixelBounds bounds =
        lineBounds(scale_.x(spec.left), scale_.y(spec.top), scale_.x(spec.width),
                   scale_.y(spec.height), spec.lineWidth);
    line->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
    setBackground(*line, spec.foreColor.value_or(WindowText));
    return newStatic(line);
}

std::unique_ptr<NativeTimer> QtWindow::createTimer(int, Timer& timer) {
    return newTimer(timer);
}

void QtWindow::setTabOrder(std::span<const int> rows) {
    for (std::size_t i = 1; i < rows.size(); ++i)
        QWidget::setTabOrder(widgets_.at(rows[i - 1]), widgets_.at(rows[i]));
}

// Qt links a label to the widget it names through its buddy.
void QtWindow::setLabel(int row, int labelRow) {
    labels_.at(labelRow)->setBuddy(widgets_.at(row));
}

void QtWindow::setCaption(std::string_view caption) {
    form_->setWindowTitle(literalTitle(caption));
}

void QtWindow::show() {
    form_->show();
    activate();
}

void QtWindow::showModal() {
    QWidget* owner = activeForm();
    if (owner == form_.get()) owner = nullptr;
    if (owner != nullptr) {
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
    spendHeldKeys(owner);
    if (form.isNull()) return;
    modalLoop_ = nullptr;
    form_->setWindowModality(Qt::NonModal);
    if (QWindow* handle = form_->windowHandle(); handle != nullptr)
        handle->setTransientParent(nullptr);
}

void QtWindow::close() {
    form_->close();
}

bool QtWindow::visible() const {
    return form_->isVisible();
}

bool QtWindow::active() const {
    return QApplication::activeWindow() == form_.get();
}

void QtWindow::activate() {
    activateNow(*form_);
}

void QtWindow::clearFocus() {
    if (QWidget* focused = form_->focusWidget()) focused->clearFocus();
}

QWidget* activeForm() {
    return dynamic_cast<FormWidget*>(QApplication::activeWindow());
}

} // namespace tk::qt

namespace tk {

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec& layout, Window& window) {
    return std::make_unique<qt::QtWindow>(layout, window);
}

} // namespace tk
