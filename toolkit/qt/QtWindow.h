#pragma once

#include "FormWidget.h"
#include "QtDrawing.h"

#include "toolkit/Native.h"

#include <QEventLoop>
#include <QKeyEvent>

#include <QLabel>
#include <QPointer>

#include <map>
#include <memory>
#include <string_view>

namespace tk::qt {

// The native half of a window: a top-level widget holding a widget for every control.
class QtWindow final : public NativeWindow {
public:
    QtWindow(const WindowSpec& layout, Window& window);
    ~QtWindow() override;

    std::unique_ptr<NativeLabel> createLabel(int row, Label& label) override;
    std::unique_ptr<NativeTextBox> createTextBox(int row, TextBox& box) override;
    std::unique_ptr<NativeButton> createButton(int row, Button& button) override;
    std::unique_ptr<NativeControl> createStatic(int row, const ControlSpec& spec) override;
    std::unique_ptr<NativeTimer> createTimer(int row, Timer& timer) override;
    void setTabOrder(std::span<const int> rows) override;
    void setLabel(int row, int labelRow) override;

    void setCaption(std::string_view caption) override;
    void show() override;
    void showModal() override;
    void close() override;
    bool visible() const override;
    bool active() const override;
    void activate() override;
    void clearFocus() override;

private:
    // Places a new widget of the row: its name, place and font, behind its siblings.
    QWidget* box(const ControlSpec& spec) const; // the row's container
    std::unique_ptr<NativeControl> createPictureBox(const ControlSpec& spec);
    std::unique_ptr<NativeControl> createLine(const ControlSpec& spec);

    Window& window_;
    Scale scale_;
    std::unique_ptr<FormWidget> form_;
    QEventLoop* modalLoop_ = nullptr;
    QMetaObject::Connection focusMoved_;
    std::map<int, QWidget*> widgets_; // the controls', by row
    std::map<int, QLabel*> labels_;
    std::map<std::string_view, QWidget*> pictureBoxes_; // the area inside each, by name
};

// The program's window that is active, or null when none is.
QWidget* activeForm();

// Whether the key presses one of the window's buttons rather than reaching the control with
// the focus.
bool takesDialogKey(const Window& window, const QKeyEvent& event);

} // namespace tk::qt
