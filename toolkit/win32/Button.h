#pragma once

#include "Child.h"
#include "Subclass.h"
#include "toolkit/Controls.h"

namespace tk::win32 {

// A push button.
class NativeButton final : public Button, public Child, private Subclass {
public:
    NativeButton(FormWindow& form, const ControlSpec& row, int id, HWND parent,
                 const Font& windowFont);

    void setEnabled(bool enabled) override { setEnabledNow(enabled); }
    bool enabled() const override { return enabledNow(); }
    void setVisible(bool visible) override { setVisibleNow(visible); }
    bool visible() const override { return visibleNow(); }
    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void setFocus() override;
    bool hasFocus() const override;

    void notify(int code) override;
    void click();
    // The thick border of the button that Enter presses.
    void setDefaultLook(bool isDefault);

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace tk::win32
