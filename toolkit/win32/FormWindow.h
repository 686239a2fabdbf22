#pragma once

#include "Win32.h"
#include "toolkit/Native.h"
#include "toolkit/Window.h"

#include <map>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tk::win32 {

class Child;

// The native half of a window: a top-level window of class "NodrellForm" whose controls are
// child windows of the standard classes, made in Controls.cpp; its timers are made in
// Program.cpp.
class FormWindow final : public NativeWindow {
public:
    FormWindow(const WindowSpec& layout, Window& window);
    ~FormWindow() override;

    std::unique_ptr<NativeLabel> createLabel(int row, tk::Label& label) override;
    std::unique_ptr<NativeTextBox> createTextBox(int row, tk::TextBox& box) override;
    std::unique_ptr<NativeButton> createButton(int row, tk::Button& button) override;
    std::unique_ptr<NativeControl> createStatic(int row, const ControlSpec& layout) override;
    std::unique_ptr<NativeTimer> createTimer(int row, tk::Timer& timer) override;
    void setTabOrder(std::span<const int> rows) override;

    void setCaption(std::string_view caption) override;
    void show() override;
    void showModal() override;
    void close() override;
    bool visible() const override;
    bool active() const override;
    void activate() override;
    void clearFocus() override;

    // Null once the window is gone.
    HWND hwnd() const { return handle_.get(); }
    const Font& font() const { return layout_.font; }
    // The id of the row's control or timer, clear of IDOK and IDCANCEL.
    static int id(int row) { return 100 + row; }
    // The window that holds the row's control: the picture box the row names, or this one.
    HWND parentOf(const ControlSpec& layout) const;
    // The row's control has made its native window: kept by its row, with its tool tip.
    void adopt(int row, const ControlSpec& layout, HWND child);

    // Moves the focus to the child at once when the window can be active, else when it next
    // is. A move along the tab order shows where the focus is from then on.
    void focus(HWND child, FocusMove how);
    // A child took the focus (or lost it: null).
    void childFocused(HWND child);
    // True while the focus returns to where it was when the window was last active; that is
    // no move of the focus, so no got-focus handling runs.
    bool restoringFocus() const { return restoringFocus_; }
    // Whether the key presses a button here; if not, a text box takes the key itself.
    bool takesDialogKey(DialogKey key) const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, LPARAM lParam);
    void activated();
    void restoreOthers();
    void destroyed();
    Child* childOf(HWND window) const;
    bool focusable(HWND child) const;

    WindowSpec layout_;
    Window* window_ = nullptr; // set once the window is made, cleared when it goes
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    HWND toolTips_ = nullptr; // goes with the window
    std::vector<HWND> tabOrder_;
    std::map<int, HWND> children_;                  // by row
    std::map<std::string_view, HWND> pictureBoxes_; // by name

    HWND lastFocus_ = nullptr;    // the child that last had the focus
    HWND pendingFocus_ = nullptr; // set while the window could not take the focus
    bool restoringFocus_ = false;
    bool lookPending_ = false;
    std::vector<HWND> disabledOthers_; // while modal

    // The native window, from its first message to its last. Declared last, so that it is
    // destroyed first, on every path out of the constructor as well, while the rest is there.
    std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> handle_{nullptr,
                                                                                   &DestroyWindow};
};

} // namespace tk::win32
