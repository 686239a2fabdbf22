#pragma once

#include "Win32.h"
#include "toolkit/Window.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tk::win32 {

class Child;
class NativeButton;
class NativeLabel;
class NativeTextBox;
class NativeTimer;
class ToolTips;

// A top-level window of class "NodrellForm" with its controls.
class FormWindow final : public Window {
public:
    FormWindow(const WindowSpec& window, std::span<const ControlSpec> controls);
    ~FormWindow() override;

    void show() override;
    void showModal() override;
    void unload() override;
    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    Label& label(std::string_view name, int index) override;
    TextBox& textBox(std::string_view name, int index) override;
    Button& button(std::string_view name, int index) override;
    Timer& timer(std::string_view name) override;

    HWND hwnd() const { return hwnd_; }

    // The toolkit's setFocus: at once when the window can be active, else when it next is.
    void focus(HWND child);
    // Moves the focus on before the child holding it is disabled or hidden.
    void focusAwayFrom(HWND child);
    // A child took the focus (or lost it: null).
    void childFocused(HWND child);
    // True while the focus returns to where it was when the window was last active; that is
    // no move of the focus, so no got-focus handling runs.
    bool restoringFocus() const { return restoringFocus_; }

    // Whether Enter / Escape press a button here; if not, a text box takes the key itself.
    bool hasDefaultButton() const;
    bool hasCancelButton() const;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    using Key = std::pair<std::string, int>;

    void createControls(std::span<const ControlSpec> controls);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, LPARAM lParam);
    LRESULT defaultId() const;
    void activated();
    void updateDefaultLook();
    void restoreOthers();
    void destroyed();
    Child* childOf(HWND window) const;
    NativeButton* buttonOf(HWND window) const;
    bool focusable(HWND child) const;

    WindowSpec window_;
    HWND hwnd_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::vector<std::unique_ptr<Child>> children_;
    std::vector<std::unique_ptr<NativeTimer>> timers_;
    std::map<Key, NativeLabel*> labels_;
    std::map<Key, NativeTextBox*> textBoxes_;
    std::map<Key, NativeButton*> buttons_;
    std::map<std::string, NativeTimer*> timersByName_;
    std::unique_ptr<ToolTips> toolTips_;

    HWND lastFocus_ = nullptr;    // the child that last had the focus
    HWND pendingFocus_ = nullptr; // set while the window could not take the focus
    bool restoringFocus_ = false;
    bool lookPending_ = false;
    std::vector<HWND> disabledOthers_; // while modal
};

} // namespace tk::win32
