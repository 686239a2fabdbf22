#pragma once

#include "Controls.h"
#include "Layout.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tk {

// A top-level window built from its layout table. Creating it creates every control, not
// yet shown; the form's load handling runs between creation and the first show.
class Window {
public:
    virtual ~Window() = default;

    virtual void show() = 0;      // modeless
    virtual void showModal() = 0; // returns once the window is unloaded
    virtual void unload() = 0;    // closes the window; a modal show then returns

    virtual void setCaption(std::string_view caption) = 0;
    virtual std::string caption() const = 0;

    // Look-ups by name and control-array index; an unknown name is a programming error.
    virtual Label& label(std::string_view name, int index = -1) = 0;
    virtual TextBox& textBox(std::string_view name, int index = -1) = 0;
    virtual Button& button(std::string_view name, int index = -1) = 0;
    virtual Timer& timer(std::string_view name) = 0;
};

std::unique_ptr<Window> createWindow(const WindowSpec& window,
                                     std::span<const ControlSpec> controls);

} // namespace tk
