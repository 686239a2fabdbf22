#include "FormWindow.h"

#include "Button.h"
#include "Colors.h"
#include "Font.h"
#include "Forms.h"
#include "Image.h"
#include "Label.h"
#include "Line.h"
#include "PictureBox.h"
#include "Text.h"
#include "TextBox.h"
#include "Timer.h"
#include "ToolTips.h"
#include "toolkit/Twips.h"

#include <stdexcept>

namespace tk {

std::unique_ptr<Window> createWindow(const WindowSpec& window,
                                     std::span<const ControlSpec> controls) {
    return std::make_unique<win32::FormWindow>(window, controls);
}

} // namespace tk

namespace tk::win32 {

namespace {

constexpr wchar_t ClassName[] = L"NodrellForm";
// Posted after the focus moved: the default button's look follows the focus.
constexpr UINT UpdateDefaultLook = WM_APP + 1;
// Control ids are the row in the table plus this, clear of IDOK and IDCANCEL.
constexpr int FirstId = 100;

void registerClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &FormWindow::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        // The program's own icon when it carries one, else the system's.
        windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
        if (!windowClass.hIcon) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = ClassName;
        return RegisterClassExW(&windowClass);
    }();
    (void)atom;
}

bool styleVisible(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

template <typename T>
T& lookUp(const std::map<std::pair<std::string, int>, T*>& controls, const char* what,
          std::string_view name, int index) {
    const auto found = controls.find({std::string(name), index});
    if (found == controls.end())
        throw std::invalid_argument(std::string("no ") + what + " named " + std::string(name) +
                                    (index >= 0 ? "(" + std::to_string(index) + ")" : ""));
    return *found->second;
}

} // namespace

FormWindow::FormWindow(const WindowSpec& window, std::span<const ControlSpec> controls)
    : window_(window) {
    registerClass();

    DWORD style = 0;
    DWORD exStyle = 0;
    if (window.border == WindowBorder::FixedDialog) {
        style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle = WS_EX_DLGMODALFRAME;
    } else {
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        if (window.minButton) style |= WS_MINIMIZEBOX;
        if (window.maxButton) style |= WS_MAXIMIZEBOX;
    }

    const int clientWidth = twipsToPixels(window.clientWidth, screenDpiX());
    const int clientHeight = twipsToPixels(window.clientHeight, screenDpiY());
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;

    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (window.position) {
        x = twipsToPixels(window.position->x, screenDpiX());
        y = twipsToPixels(window.position->y, screenDpiY());
    } else if (style & WS_POPUP) {
        // A pop-up has no system default place: the middle of the work area.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }

    CreateWindowExW(exStyle, ClassName, widen(window.caption).c_str(), style, x, y, width, height,
                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) throw std::runtime_error("cannot create a window");
    forms::add(hwnd_);
    // The large icon for the task switcher, the small one for the title bar.
    if (HICON big = windowIcon(window.icon, GetSystemMetrics(SM_CXICON)))
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON little = windowIcon(window.icon, GetSystemMetrics(SM_CXSMICON)))
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));

    // Whatever frame the system draws, the client area is the table's size.
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int growX = clientWidth - client.right;
    const int growY = clientHeight - client.bottom;
    if (growX != 0 || growY != 0)
        SetWindowPos(hwnd_, nullptr, 0, 0, width + growX, height + growY,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    createControls(controls);
}

FormWindow::~FormWindow() {
    *alive_ = false;
    if (hwnd_) DestroyWindow(hwnd_);
}

void FormWindow::createControls(std::span<const ControlSpec> controls) {
    std::map<std::string, HWND, std::less<>> containers;
    int row = 0;
    for (const ControlSpec& control : controls) {
        const int id = FirstId + row++;
        HWND parent = hwnd_;
        if (!control.container.empty()) {
            const auto found = containers.find(control.container);
            if (found == containers.end())
                throw std::invalid_argument("container " + std::string(control.container) +
                                            " must come before " + std::string(control.name));
            parent = found->second;
        }
        const Key key{std::string(control.name), control.index};
        std::unique_ptr<Child> child;
        switch (control.kind) {
        case Kind::Label: {
            auto made = std::make_unique<NativeLabel>(*this, control, id, parent, window_.font);
            labels_[key] = made.get();
            child = std::move(made);
            break;
        }
        case Kind::TextBox: {
            auto made = std::make_unique<NativeTextBox>(*this, control, id, parent, window_.font);
            textBoxes_[key] = made.get();
            child = std::move(made);
            break;
        }
        case Kind::Button: {
            auto made = std::make_unique<NativeButton>(*this, control, id, parent, window_.font);
            buttons_[key] = made.get();
            child = std::move(made);
            break;
        }
        case Kind::PictureBox:
            child = std::make_unique<PictureBox>(*this, control, id, parent);
            containers[std::string(control.name)] = child->hwnd();
            break;
        case Kind::Image:
            child = std::make_unique<Image>(*this, control, id, parent);
            break;
        case Kind::Line:
            child = std::make_unique<Line>(*this, control, id, parent);
            break;
        case Kind::Timer: {
            auto made = std::make_unique<NativeTimer>(hwnd_, static_cast<UINT_PTR>(id),
                                                      control.interval, control.timerEnabled);
            timersByName_[std::string(control.name)] = made.get();
            timers_.push_back(std::move(made));
            break;
        }
        }
        if (!child) continue;
        if (!control.toolTip.empty()) {
            if (!toolTips_) toolTips_ = std::make_unique<ToolTips>(hwnd_);
            toolTips_->add(child->hwnd(), widen(control.toolTip));
        }
        children_.push_back(std::move(child));
    }
}

void FormWindow::show() {
    if (!hwnd_) return;
    forms::markOpen(hwnd_);
    if (IsWindowVisible(hwnd_)) {
        SetForegroundWindow(hwnd_);
        return;
    }
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void FormWindow::showModal() {
    if (!hwnd_) return;
    HWND previous = forms::activeForm();
    if (previous == hwnd_) previous = nullptr;
    restoreOthers();
    disabledOthers_ = forms::disableAllExcept(hwnd_);
    // Owned by the window it interrupts: kept above it, and that one is activated again when
    // this one goes.
    if (previous) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(previous));

    const std::shared_ptr<bool> alive = alive_;
    show();
    MSG message{};
    while (*alive && hwnd_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        forms::dispatch(message);
    }
    if (*alive) restoreOthers();
    if (previous && IsWindow(previous) && GetActiveWindow() != previous &&
        IsWindowVisible(previous))
        SetActiveWindow(previous);
}

void FormWindow::unload() {
    if (!hwnd_) return;
    // Enabled again before this one goes, so that the system activates the window it
    // interrupted rather than another program's.
    restoreOthers();
    DestroyWindow(hwnd_);
}

void FormWindow::setCaption(std::string_view caption) {
    if (hwnd_) SetWindowTextW(hwnd_, widen(caption).c_str());
}

std::string FormWindow::caption() const {
    return hwnd_ ? narrow(windowText(hwnd_)) : std::string();
}

Label& FormWindow::label(std::string_view name, int index) {
    return lookUp(labels_, "label", name, index);
}

TextBox& FormWindow::textBox(std::string_view name, int index) {
    return lookUp(textBoxes_, "text box", name, index);
}

Button& FormWindow::button(std::string_view name, int index) {
    return lookUp(buttons_, "button", name, index);
}

Timer& FormWindow::timer(std::string_view name) {
    const auto found = timersByName_.find(std::string(name));
    if (found == timersByName_.end())
        throw std::invalid_argument("no timer named " + std::string(name));
    return *found->second;
}

void FormWindow::focus(HWND child) {
    if (!hwnd_ || !IsChild(hwnd_, child)) return;
    if (IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_) && !IsIconic(hwnd_)) {
        // A disabled or hidden control takes no focus.
        if (IsWindowEnabled(child) && IsWindowVisible(child)) SetFocus(child);
    } else {
        pendingFocus_ = child;
    }
}

void FormWindow::focusAwayFrom(HWND child) {
    if (!hwnd_) return;
    if (pendingFocus_ == child) pendingFocus_ = nullptr;
    HWND focused = GetFocus();
    if (!focused || (focused != child && !IsChild(child, focused))) return;
    // The focus stays with the window itself rather than jumping to another control, where
    // a key meant for the disabled one (Enter, Space) would act on something else.
    SetFocus(hwnd_);
}

void FormWindow::childFocused(HWND child) {
    if (child) lastFocus_ = child;
    if (hwnd_ && !lookPending_) {
        lookPending_ = true;
        PostMessageW(hwnd_, UpdateDefaultLook, 0, 0);
    }
}

bool FormWindow::hasDefaultButton() const {
    for (const auto& [key, button] : buttons_)
        if (button->row().isDefault && styleVisible(button->hwnd())) return true;
    return false;
}

bool FormWindow::hasCancelButton() const {
    for (const auto& [key, button] : buttons_)
        if (button->row().isCancel && styleVisible(button->hwnd())) return true;
    return false;
}

LRESULT CALLBACK FormWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(created->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush(window_.backColor));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (Child* child = childOf(reinterpret_cast<HWND>(lParam))) {
            HBRUSH background = nullptr;
            if (child->colors(reinterpret_cast<HDC>(wParam), background))
                return reinterpret_cast<LRESULT>(background);
        }
        break;
    case WM_SETCURSOR:
        // A control's own cursor; the control passes the question up before answering it.
        if (LOWORD(lParam) == HTCLIENT)
            if (Child* child = childOf(reinterpret_cast<HWND>(wParam)))
                if (HCURSOR cursor = child->cursor()) {
                    SetCursor(cursor);
                    return TRUE;
                }
        break;
    case WM_COMMAND:
        command(wParam, lParam);
        return 0;
    case DM_GETDEFID:
        return defaultId();
    case WM_TIMER:
        for (const auto& timer : timers_)
            if (timer->id() == wParam) {
                timer->tick();
                break;
            }
        return 0;
    case WM_ACTIVATE:
        // The focus goes back to the control that had it, not to the window itself.
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) activated();
        return 0;
    case UpdateDefaultLook:
        lookPending_ = false;
        updateDefaultLook();
        return 0;
    case WM_CLOSE:
        unload();
        return 0;
    case WM_DESTROY:
        destroyed();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FormWindow::command(WPARAM wParam, LPARAM lParam) {
    if (lParam != 0) {
        if (Child* child = childOf(reinterpret_cast<HWND>(lParam))) child->notify(HIWORD(wParam));
        return;
    }
    // Enter with no default id, Escape: the keyboard interface's OK and Cancel.
    const int id = LOWORD(wParam);
    for (const auto& [key, button] : buttons_) {
        const bool pressed =
            (id == IDOK && button->row().isDefault) || (id == IDCANCEL && button->row().isCancel);
        if (pressed && styleVisible(button->hwnd())) {
            button->click();
            return;
        }
    }
}

LRESULT FormWindow::defaultId() const {
    // Enter presses the button with the focus, else the default button.
    if (NativeButton* focused = buttonOf(GetFocus()))
        return MAKELRESULT(focused->id(), DC_HASDEFID);
    for (const auto& [key, button] : buttons_)
        if (button->row().isDefault) return MAKELRESULT(button->id(), DC_HASDEFID);
    return 0;
}

void FormWindow::activated() {
    if (HWND pending = pendingFocus_) {
        pendingFocus_ = nullptr;
        if (focusable(pending)) {
            SetFocus(pending);
            return;
        }
    }
    if (lastFocus_ && focusable(lastFocus_)) {
        restoringFocus_ = true;
        SetFocus(lastFocus_);
        restoringFocus_ = false;
        return;
    }
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    SetFocus(first && focusable(first) ? first : hwnd_);
}

void FormWindow::updateDefaultLook() {
    if (!hwnd_) return;
    NativeButton* focused = buttonOf(GetFocus());
    for (const auto& [key, button] : buttons_)
        button->setDefaultLook(focused ? button == focused : button->row().isDefault);
}

void FormWindow::restoreOthers() {
    std::vector<HWND> others;
    others.swap(disabledOthers_);
    forms::enable(others);
}

void FormWindow::destroyed() {
    for (const auto& timer : timers_)
        timer->stop();
    restoreOthers();
    // Closing the last shown window ends the program's event loop.
    if (forms::remove(hwnd_)) PostQuitMessage(0);
}

Child* FormWindow::childOf(HWND window) const {
    if (!window) return nullptr;
    for (const auto& child : children_)
        if (child->hwnd() == window) return child.get();
    return nullptr;
}

NativeButton* FormWindow::buttonOf(HWND window) const {
    if (!window) return nullptr;
    for (const auto& [key, button] : buttons_)
        if (button->hwnd() == window) return button;
    return nullptr;
}

bool FormWindow::focusable(HWND child) const {
    return IsWindow(child) && IsChild(hwnd_, child) && IsWindowEnabled(child) &&
           IsWindowVisible(child);
}

} // namespace tk::win32
