#include "QtWindow.h"

#include "Keyboard.h"
#include "QtButton.h"
#include "QtLabel.h"
#include "QtPictures.h"
#include "QtTextBox.h"
#include "QtTimer.h"
#include "toolkit/LineBounds.h"

#include <QApplication>
#include <QFrame>
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

using QtStatic = WidgetControl<NativeControl>;

// A picture box. Its controls lie in the area inside its border, which holds and clips them.
class QtPictureBox final : public WidgetControl<NativeControl, QFrame> {
public:
    QtPictureBox(QFrame* frame, QWidget* inside) : WidgetControl(frame), inside_(inside) {}
    QWidget* inside() const { return inside_; }

private:
    QWidget* inside_;
};

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

template <class W> W* QtWindow::make(Place place, const ControlSpec& row) {
    QWidget* parent = place.container != nullptr
                          ? static_cast<QtPictureBox*>(place.container)->inside()
                          : form_.get();
    auto* widget = new W(parent);
    widget->setObjectName(toQString(controlName(row.name, row.index)));
    widget->setGeometry(scale_.x(row.left), scale_.y(row.top), scale_.x(row.width),
                        scale_.y(row.height));
    // Without a font of its own a control inherits the window's.
    if (row.font) widget->setFont(toQFont(*row.font));
    widget->lower();
    return widget;
}

std::unique_ptr<NativeLabel> QtWindow::createLabel(Place place, Label& label) {
    auto* widget = make<LabelWidget>(place, label.row());
    if (!label.row().cursor.empty()) widget->setCursor(mouseCursor(label.row().cursor));
    return std::make_unique<QtLabel>(widget, label, scale_);
}

std::unique_ptr<NativeTextBox> QtWindow::createTextBox(Place place, TextBox& box) {
    return std::make_unique<QtTextBox>(make<TextBoxWidget>(place, box.row()), box);
}

std::unique_ptr<NativeButton> QtWindow::createButton(Place place, Button& button) {
    return std::make_unique<QtButton>(make<ButtonWidget>(place, button.row()), button);
}

std::unique_ptr<NativeControl> QtWindow::createStatic(Place place, const ControlSpec& row) {
    if (row.kind == Kind::PictureBox) return createPictureBox(place, row);
    if (row.kind == Kind::Line) return createLine(place, row);
    auto* image = make<PictureLabel>(place, row);
    image->setFocusPolicy(Qt::NoFocus);
    image->setPicture(picture(row.picture), scale_);
    return std::make_unique<QtStatic>(image);
}

std::unique_ptr<NativeControl> QtWindow::createPictureBox(Place place, const ControlSpec& row) {
    auto* frame = make<QFrame>(place, row);
    frame->setFocusPolicy(Qt::NoFocus);
    frame->setEnabled(row.enabled);
    if (row.border) frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setBackground(*frame, row.backColor.value_or(ButtonFace));
    // The controls' positions count from inside the border, and nothing of them is drawn
    // over it. That area carries the picture box's name, as the parent of its controls; the
    // frame around it is unnamed.
    frame->setObjectName(QString());
    auto* inside = new QWidget(frame);
    inside->setObjectName(toQString(controlName(row.name, row.index)));
    inside->setGeometry(frame->contentsRect());
    inside->setFocusPolicy(Qt::NoFocus);
    return std::make_unique<QtPictureBox>(frame, inside);
}

// A line row holds the two end points.
std::unique_ptr<NativeControl> QtWindow::createLine(Place place, const ControlSpec& row) {
    auto* line = make<QWidget>(place, row);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setFocusPolicy(Qt::NoFocus);
    const PixelBounds bounds = lineBounds(scale_.x(row.left), scale_.y(row.top),
                                          scale_.x(row.width), scale_.y(row.height), row.lineWidth);
    line->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
    setBackground(*line, row.foreColor.value_or(WindowText));
    return std::make_unique<QtStatic>(line);
}

std::unique_ptr<NativeTimer> QtWindow::createTimer(Place, Timer& timer) {
    return std::make_unique<QtTimer>(timer);
}

void QtWindow::setTabOrder(std::span<Control* const> order) {
    QWidget* previous = nullptr;
    for (const Control* control : order) {
        QWidget* widget = dynamic_cast<const QtWidget&>(control->native()).widget();
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

// Qt links a label to the widget it names through its buddy.
void QtWindow::setLabel(const Control& control, const Label& label) {
    auto* heading = qobject_cast<QLabel*>(dynamic_cast<const QtWidget&>(label.native()).widget());
    QWidget* named = dynamic_cast<const QtWidget&>(control.native()).widget();
    if (heading != nullptr && named != nullptr) heading->setBuddy(named);
}

void QtWindow::setCaption(std::string_view caption) {
    form_->setWindowTitle(literalTitle(caption));
}

void QtWindow::show() {
    form_->show();
    activate();
}

void QtWindow::showModal(NativeWindow* owner) {
    if (owner != nullptr) {
        form_->winId();
        if (QWindow* handle = form_->windowHandle(); handle != nullptr)
            handle->setTransientParent(static_cast<QtWindow*>(owner)->form_->windowHandle());
    }
    form_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    modalLoop_ = &loop;
    const QPointer<FormWidget> form = form_.get();
    show();
    // A handler may have unloaded the window while it was being shown, or destroyed it; the
    // destructor ends the loop, and nothing of the window is left to touch.
    if (!form.isNull() && form->isVisible()) loop.exec(QEventLoop::DialogExec);
    spendHeldKeys(owner != nullptr ? &static_cast<QtWindow*>(owner)->widget() : nullptr);
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

} // namespace tk::qt

namespace tk {

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec& layout, Window& window) {
    return std::make_unique<qt::QtWindow>(layout, window);
}

} // namespace tk
