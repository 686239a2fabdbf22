#pragma once

#include "FormWidget.h"
#include "QtConvert.h"

#include "toolkit/Native.h"

#include <QEventLoop>

#include <memory>

namespace tk::qt {

// The native half of a window: a top-level widget holding a widget for every control.
class QtWindow final : public NativeWindow {
public:
    QtWindow(const WindowSpec& layout, Window& window);
    ~QtWindow() override;

    std::unique_ptr<NativeLabel> createLabel(Place place, Label& label) override;
    std::unique_ptr<NativeTextBox> createTextBox(Place place, TextBox& box) override;
    std::unique_ptr<NativeButton> createButton(Place place, Button& button) override;
    std::unique_ptr<NativeControl> createStatic(Place place, const ControlSpec& row) override;
    std::unique_ptr<NativeTimer> createTimer(Place place, Timer& timer) override;
    void setTabOrder(std::span<Control* const> order) override;
    void setLabel(const Control& control, const Label& label) override;

    void setCaption(std::string_view caption) override;
    void show() override;
    void showModal(NativeWindow* owner) override;
    void close() override;
    bool visible() const override;
    bool active() const override;
    void activate() override;
    void clearFocus() override;

    QWidget& widget() const { return *form_; }

private:
    // Places a new widget of the row: its name, place and font, behind its siblings.
    template <class W> W* make(Place place, const ControlSpec& row);
    std::unique_ptr<NativeControl> createPictureBox(Place place, const ControlSpec& row);
    std::unique_ptr<NativeControl> createLine(Place place, const ControlSpec& row);

    Window& window_;
    Scale scale_;
    std::unique_ptr<FormWidget> form_;
    QEventLoop* modalLoop_ = nullptr;
    QMetaObject::Connection focusMoved_;
};

} // namespace tk::qt
