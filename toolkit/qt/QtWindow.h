#pragma once

#include "BuildControls.h"
#include "FormWidget.h"

#include "toolkit/Window.h"

#include <QEventLoop>

#include <memory>
#include <string>

namespace tk::qt {

// A window built from its layout table. Its controls live as long as this object, also
// after the window is closed from its title bar; its widgets go with this object.
class QtWindow final : public Window {
public:
    QtWindow(const WindowSpec& window, std::span<const ControlSpec> controls);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    void show() override;
    void showModal() override;
    void unload() override;

    void setCaption(std::string_view caption) override;
    std::string caption() const override { return caption_; }

    Label& label(std::string_view name, int index = -1) override;
    TextBox& textBox(std::string_view name, int index = -1) override;
    Button& button(std::string_view name, int index = -1) override;
    Timer& timer(std::string_view name) override;

private:
    void closed();
    void setTimersRunning(bool running);

    std::string name_;
    std::string caption_;
    std::unique_ptr<FormWidget> form_; // destroyed after the controls, which let go of it
    ControlSet controls_;
    QEventLoop* modalLoop_ = nullptr;
};

} // namespace tk::qt
