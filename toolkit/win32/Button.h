#pragma once

#include "Child.h"
#include "toolkit/Controls.h"

namespace tk::win32 {

// A push button.
class Button final : public NativeChild<NativeButton> {
public:
    Button(FormWindow& form, tk::Button& button, int id, HWND parent);

    void setCaption(std::string_view caption) override;
    void click() override { button_.reportClick(); }
    void showAsDefault(bool isDefault) override;
    void notify(int code) override;

private:
    LRESULT message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    tk::Button& button_;
};

} // namespace tk::win32
