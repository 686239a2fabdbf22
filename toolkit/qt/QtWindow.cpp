#include "QtWindow.h"

#include "QtControls.h"
#include "QtDrawing.h"
#include "QtProgram.h"
#include "toolkit/LineBounds.h"
#include "toolkit/Window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace tk::qt {

namespace {

class FormWidget;

// The program's windows, for the one that is active and for screen readers.
std::vector<FormWidget*>& forms() {
    static std::vector<FormWidget*> list;
    return list;
}

std::optional<DialogKey> dialogKey(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) return DialogKey::Enter;
    if (event.key() == Qt::Key_Escape) return DialogKey::Escape;
    return std::nullopt;
}

// The top-level widget of a window: hands Tab, Enter and Escape to the window's keyboard
// interface and reports its closing.
class FormWidget final : public QWidget {
public:
    explicit FormWidget(Window& window) : window_(window) { forms().push_back(this); }
    ~FormWidget() override { std::erase(forms(), this); }

    QEventLoop* modalLoop = nullptr; // ended when the window closes

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const auto key = dialogKey(*event);
        if (!key || window_.dialogButton(*key) == nullptr) {
            QWidget::keyPressEvent(event);
            return;
        }
        // Spent first: the button may open a window that the key's repeats would reach.
        spendKey(*event);
        window_.pressDialogButton(*key);
    }
    void closeEvent(QCloseEvent*) override {
        window_.closed();
        if (modalLoop != nullptr) modalLoop->quit();
    }
    bool focusNextPrevChild(bool next) override {
        window_.tab(next);
        return true;
    }

private:
    Window& window_;
};

FormWidget* formOf(const QObject* object) {
    const auto found = std::find(forms().begin(), forms().end(), object);
    return found != forms().end() ? *found : nullptr;
}

// The widgets that screen readers pass over.
std::vector<QWidget*>& passedOver() {
    static std::vector<QWidget*> list;
    return list;
}

class PassedOver final : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* interfaceFor(const QString&, QObject* object) {
    if (FormWidget* form = formOf(object))
        return new QAccessibleWidget(form, form->windowType() == Qt::Dialog ? QAccessible::Dialog
                                                                            : QAccessible::Window);
    const auto hidden = std::find(passedOver().begin(), passedOver().end(), object);
    if (hidden != passedOver().end()) return new PassedOver(*hidden, QAccessible::StaticText);
    return nullptr;
}

Qt::WindowFlags windowFlags(const WindowSpec& window) {
    Qt::WindowFlags flags =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (window.border == WindowBorder::FixedDialog) return flags | Qt::Dialog;
    flags |= Qt::Window | Qt::WindowSystemMenuHint;
    if (window.minButton) flags |= Qt::WindowMinimizeButtonHint;
    if (window.maxButton) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

// The native half of a window: a top-level widget holding a widget for every control.
class QtWindow final : public NativeWindow {
public:
    QtWindow(const WindowSpec& layout, Window& window);
    ~QtWindow() override {
        QObject::disconnect(focusMoved_);
        if (form_->modalLoop != nullptr) form_->modalLoop->quit();
    }

    std::unique_ptr<NativeLabel> createLabel(int row, Label& label) override {
        auto made = newLabel(containerOf(label.row()), label, scale_);
        widgets_[row] = labels_[row] = made.widget;
        return std::move(made.native);
    }
    std::unique_ptr<NativeTextBox> createTextBox(int row, TextBox& box) override {
        auto made = newTextBox(containerOf(box.row()), box, window_, scale_);
        widgets_[row] = made.widget;
        return std::move(made.native);
    }
    std::unique_ptr<NativeButton> createButton(int row, Button& button) override {
        auto made = newButton(containerOf(button.row()), button, scale_);
        widgets_[row] = made.widget;
        return std::move(made.native);
    }
    std::unique_ptr<NativeControl> createStatic(int row, const ControlSpec& layout) override;
    std::unique_ptr<NativeTimer> createTimer(int, Timer& timer) override { return newTimer(timer); }
    void setTabOrder(std::span<const int> rows) override {
        for (std::size_t i = 1; i < rows.size(); ++i)
            QWidget::setTabOrder(widgets_.at(rows[i - 1]), widgets_.at(rows[i]));
    }
    // Qt links a label to the widget it names through its buddy.
    void setLabel(int row, int labelRow) override {
        labels_.at(labelRow)->setBuddy(widgets_.at(row));
    }

    void setCaption(std::string_view caption) override {
        form_->setWindowTitle(toQString(caption));
    }
    void show() override {
        form_->show();
        activate();
    }
    void showModal() override;
    void close() override { form_->close(); }
    bool visible() const override { return form_->isVisible(); }
    bool active() const override { return QApplication::activeWindow() == form_.get(); }
    // Makes the window the active one at once, as showing a window does on Windows, so that
    // focus moves made right after reach their controls; the window system's own activation
    // follows and changes nothing.
    void activate() override {
        form_->activateWindow();
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(form_.get());
        QT_WARNING_POP
    }
    void clearFocus() override {
        if (QWidget* focused = form_->focusWidget()) focused->clearFocus();
    }

private:
    QWidget* containerOf(const ControlSpec& row) const {
        const auto box = pictureBoxes_.find(row.container);
        return box != pictureBoxes_.end() ? box->second : form_.get();
    }

    Window& window_;
    Scale scale_;
    std::unique_ptr<FormWidget> form_;
    QMetaObject::Connection focusMoved_;
    std::map<int, QWidget*> widgets_; // the controls', by row
    std::map<int, QLabel*> labels_;
    std::map<std::string_view, QWidget*> pictureBoxes_; // the area inside each, by name
};

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
    focusMoved_ = QObject::connect(qApp, &QApplication::focusChanged, form_.get(),
                                   [this] { window_.showDefaultButton(); });
}

std::unique_ptr<NativeControl> QtWindow::createStatic(int, const ControlSpec& layout) {
    QWidget* drawn = nullptr;
    if (layout.kind == Kind::Image) {
        drawn = newImage(containerOf(layout), layout.picture, scale_);
        place(*drawn, layout, scale_);
    } else if (layout.kind == Kind::PictureBox) {
        auto* frame = new QFrame(containerOf(layout));
        place(*frame, layout, scale_);
        if (layout.border) frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        setBackground(*frame, layout.backColor.value_or(ButtonFace));
        // The controls' positions count from inside the border, and nothing of them is drawn
        // over it. That area carries the picture box's name, as the parent of its controls;
        // the frame around it is unnamed.
        auto* inside = new QWidget(frame);
        inside->setObjectName(frame->objectName());
        frame->setObjectName(QString());
        inside->setGeometry(frame->contentsRect());
        pictureBoxes_[layout.name] = inside;
        drawn = frame;
    } else { // a line, its row holding the two end points
        drawn = new QWidget(containerOf(layout));
        place(*drawn, layout, scale_);
        drawn->setAttribute(Qt::WA_TransparentForMouseEvents);
        const PixelBounds bounds =
            lineBounds(scale_.x(layout.left), scale_.y(layout.top), scale_.x(layout.width),
                       scale_.y(layout.height), layout.lineWidth);
        drawn->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
        setBackground(*drawn, layout.foreColor.value_or(WindowText));
    }
    return newStatic(drawn);
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
    form_->modalLoop = &loop;
    const QPointer<FormWidget> form = form_.get();
    show();
    // A handler may have unloaded the window while it was being shown, or destroyed it; the
    // destructor ends the loop, and nothing of the window is left to touch.
    if (!form.isNull() && form->isVisible()) loop.exec(QEventLoop::DialogExec);
    spendHeldKeys(owner);
    if (form.isNull()) return;
    form_->modalLoop = nullptr;
    form_->setWindowModality(Qt::NonModal);
    if (QWindow* handle = form_->windowHandle(); handle != nullptr)
        handle->setTransientParent(nullptr);
}

} // namespace

QWidget* activeForm() {
    return formOf(QApplication::activeWindow());
}

bool takesDialogKey(const Window& window, const QKeyEvent& event) {
    const auto key = dialogKey(event);
    return key && window.dialogButton(*key) != nullptr;
}

void describeWindowsToScreenReaders() {
    QAccessible::installFactory(interfaceFor);
}

void passOverForScreenReaders(QWidget& widget) {
    passedOver().push_back(&widget);
    QObject::connect(&widget, &QObject::destroyed,
                     [](QObject* gone) { std::erase(passedOver(), gone); });
    // Qt may have made the widget's interface already, before it was passed over.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace tk::qt

namespace tk {

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec& layout, Window& window) {
    return std::make_unique<qt::QtWindow>(layout, window);
}

} // namespace tk
