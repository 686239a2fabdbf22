#include "FormWindow.h"

#include "Controls.h"
#include "toolkit/Twips.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tk {

std::unique_ptr<NativeWindow> createNativeWindow(const WindowSpec& layout, Window& window) {
    return std::make_unique<win32::FormWindow>(layout, window);
}

} // namespace tk

namespace tk::win32 {

namespace {

constexpr wchar_t ClassName[] = L"NodrellForm";
// Posted after the focus moved: the default button's look follows the focus.
constexpr UINT UpdateDefaultLook = WM_APP + 1;
// Sent to the active form for Tab (wParam 1) and Shift+Tab (wParam 0): the form walks its own
// tab order.
constexpr UINT TabKey = WM_APP + 2;

} // namespace

FormWindow::FormWindow(const WindowSpec& layout, Window& window) : layout_(layout) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &FormWindow::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = ClassName;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;

    DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    if (layout.border == WindowBorder::FixedDialog) {
        style |= WS_POPUP;
        exStyle = WS_EX_DLGMODALFRAME;
    } else if (layout.minButton) {
        style |= WS_MINIMIZEBOX;
    }

    const int clientWidth = twipsToPixels(layout.clientWidth, screenDpiX());
    const int clientHeight = twipsToPixels(layout.clientHeight, screenDpiY());
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int x = layout.position ? twipsToPixels(layout.position->x, screenDpiX()) : CW_USEDEFAULT;
    const int y = layout.position ? twipsToPixels(layout.position->y, screenDpiY()) : CW_USEDEFAULT;

    CreateWindowExW(exStyle, ClassName, widen(layout.caption).c_str(), style, x, y, width, height,
                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd()) throw std::runtime_error("cannot create a window");
    // The large icon for the task switcher, the small one for the title bar.
    for (const auto& [which, size] :
         {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}})
        if (HICON icon = windowIcon(layout.icon, GetSystemMetrics(size)))
            SendMessageW(hwnd(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));

    // Whatever frame the system draws, the client area is the table's size.
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int growX = clientWidth - client.right;
    const int growY = clientHeight - client.bottom;
    if (growX != 0 || growY != 0)
        SetWindowPos(hwnd(), nullptr, 0, 0, width + growX, height + growY,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    forms::add(hwnd());
    window_ = &window;
}

FormWindow::~FormWindow() {
    window_ = nullptr;
    *alive_ = false;
}

HWND FormWindow::parentOf(const ControlSpec& layout) const {
    const auto box = pictureBoxes_.find(layout.container);
    return box != pictureBoxes_.end() ? box->second : hwnd();
}

void FormWindow::adopt(int row, const ControlSpec& layout, HWND child) {
    children_[row] = child;
    if (layout.kind == Kind::PictureBox) pictureBoxes_[layout.name] = child;
    if (layout.toolTip.empty()) return;
    // The tip window belongs to the window and goes with it.
    if (!toolTips_) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    std::wstring text = widen(layout.toolTip); // copied by the tip window
    TTTOOLINFOW tool{};
    // The size that every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.lpszText = text.data();
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FormWindow::setTabOrder(std::span<const int> rows) {
    for (const int row : rows)
        tabOrder_.push_back(children_.at(row));
}

void FormWindow::setCaption(std::string_view caption) {
    SetWindowTextW(hwnd(), widen(caption).c_str());
}

void FormWindow::show() {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

void FormWindow::showModal() {
    // Owned by the window it interrupts: kept above it, and that one is activated again when
    // this one goes.
    if (HWND owner = forms::activeForm(); owner && owner != hwnd())
        SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    disabledOthers_ = forms::disableAllExcept(hwnd());

    const std::shared_ptr<bool> alive = alive_;
    show();
    MSG message{};
    while (*alive && hwnd() && GetMessageW(&message, nullptr, 0, 0) > 0)
        forms::dispatch(message);
    // Leave the quit for the main loop.
    if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
    keystrokes().spendHeld();
    if (*alive) restoreOthers();
}

void FormWindow::close() {
    // Enabled again before this one goes, so that the system activates the window it
    // interrupted rather than another program's.
    restoreOthers();
    DestroyWindow(hwnd());
}

bool FormWindow::visible() const {
    return IsWindowVisible(hwnd()) != FALSE;
}

bool FormWindow::active() const {
    return hwnd() && GetActiveWindow() == hwnd();
}

void FormWindow::activate() {
    if (hwnd()) SetActiveWindow(hwnd());
}

// No control can take the focus: the window itself keeps the keyboard.
void FormWindow::clearFocus() {
    if (hwnd()) SetFocus(hwnd());
}

void FormWindow::focus(HWND child, FocusMove how) {
    // Tab is the window's own key: the system, which shows the focus once the keyboard moved
    // it, does not see it.
    if (how != FocusMove::Set)
        SendMessageW(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    if (IsWindowVisible(hwnd()) && IsWindowEnabled(hwnd()) && !IsIconic(hwnd()))
        SetFocus(child);
    else
        pendingFocus_ = child;
}

void FormWindow::childFocused(HWND child) {
    if (child) lastFocus_ = child;
    if (hwnd() && !lookPending_) {
        lookPending_ = true;
        PostMessageW(hwnd(), UpdateDefaultLook, 0, 0);
    }
}

bool FormWindow::takesDialogKey(DialogKey key) const {
    return window_ != nullptr && window_->dialogButton(key) != nullptr;
}

LRESULT CALLBACK FormWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_.reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // Gone: there is nothing left to destroy.
        (void)self->handle_.release();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush(layout_.backColor));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
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
    case TabKey:
        if (window_ != nullptr) window_->tab(wParam != 0);
        return 0;
    case WM_ACTIVATE:
        // The focus goes back to the control that had it, not to the window itself.
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) activated();
        return 0;
    case WM_ACTIVATEAPP:
        if (!wParam) keystrokes().forget();
        break;
    case UpdateDefaultLook:
        lookPending_ = false;
        if (window_ != nullptr) window_->showDefaultButton();
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    case WM_DESTROY:
        destroyed();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd(), message, wParam, lParam);
}

void FormWindow::command(WPARAM wParam, LPARAM lParam) {
    if (lParam != 0) {
        if (Child* child = childOf(reinterpret_cast<HWND>(lParam))) child->notify(HIWORD(wParam));
        return;
    }
    // Enter and Escape, as the keyboard interface hands them on.
    const int id = LOWORD(wParam);
    const DialogKey key = id == IDOK ? DialogKey::Enter : DialogKey::Escape;
    if (window_ == nullptr || (id != IDOK && id != IDCANCEL) || !window_->dialogButton(key)) return;
    forms::spendKeyBeingPressed();
    window_->pressDialogButton(key);
}

void FormWindow::activated() {
    if (HWND pending = std::exchange(pendingFocus_, nullptr); pending && focusable(pending)) {
        SetFocus(pending);
        return;
    }
    if (lastFocus_ && focusable(lastFocus_)) {
        restoringFocus_ = true;
        SetFocus(lastFocus_);
        restoringFocus_ = false;
        return;
    }
    const auto first = std::find_if(tabOrder_.begin(), tabOrder_.end(),
                                    [this](HWND control) { return focusable(control); });
    SetFocus(first != tabOrder_.end() ? *first : hwnd());
}

void FormWindow::restoreOthers() {
    forms::enable(std::exchange(disabledOthers_, {}));
}

void FormWindow::destroyed() {
    if (window_ != nullptr) window_->closed();
    restoreOthers();
    // Closing the program's last window ends its event loop.
    if (forms::remove(hwnd())) PostQuitMessage(0);
}

Child* FormWindow::childOf(HWND window) const {
    return window && IsChild(hwnd(), window) ? Child::of(window) : nullptr;
}

bool FormWindow::focusable(HWND child) const {
    return IsWindow(child) && IsChild(hwnd(), child) && IsWindowEnabled(child) &&
           IsWindowVisible(child);
}

} // namespace tk::win32

namespace tk::win32::forms {

namespace {

std::vector<HWND> windows;

bool contains(HWND window) {
    return std::ranges::find(windows, window) != windows.end();
}

UINT keyBeingPressed = 0; // the key whose press dispatch() hands on, 0 for none

bool isKey(const MSG& message, bool down) {
    return message.message == (down ? WM_KEYDOWN : WM_KEYUP) ||
           message.message == (down ? WM_SYSKEYDOWN : WM_SYSKEYUP);
}

bool isModifier(WPARAM key) {
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_CAPITAL ||
           key == VK_LWIN || key == VK_RWIN || (key >= VK_LSHIFT && key <= VK_RMENU);
}

// Every message a loop of the thread takes passes here, the loops of message boxes too, so
// every release is seen; and Wine marks no press as a repeat, so none counts as fresh.
LRESULT CALLBACK followKeys(int code, WPARAM removed, LPARAM lParam) {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    const bool down = isKey(message, true);
    if (code == HC_ACTION && removed == PM_REMOVE && (down || isKey(message, false)) &&
        keystrokes().dropped(static_cast<int>(message.wParam & 0xFF), down, false,
                             isModifier(message.wParam)))
        message.message = WM_NULL;
    return CallNextHookEx(nullptr, code, removed, lParam);
}

// The keys of the active window's keyboard interface: Tab is the window's own, the others
// the dialog manager's.
bool takenByKeyboardInterface(MSG& message) {
    HWND active = activeForm();
    if (!active || (message.hwnd != active && !IsChild(active, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
        SendMessageW(active, TabKey, (GetKeyState(VK_SHIFT) & 0x8000) == 0, 0);
        return true;
    }
    return IsDialogMessageW(active, &message) != FALSE;
}

} // namespace

void add(HWND window) {
    static const HHOOK hook =
        SetWindowsHookExW(WH_GETMESSAGE, followKeys, nullptr, GetCurrentThreadId());
    (void)hook;
    windows.push_back(window);
}

bool remove(HWND window) {
    std::erase(windows, window);
    return windows.empty();
}

std::vector<HWND> disableAllExcept(HWND keep) {
    std::vector<HWND> disabled;
    // A copy: disabling may run code that creates or destroys windows.
    const std::vector<HWND> list = windows;
    for (HWND window : list) {
        if (window == keep || !IsWindowEnabled(window)) continue;
        EnableWindow(window, FALSE);
        disabled.push_back(window);
    }
    return disabled;
}

void enable(const std::vector<HWND>& disabled) {
    for (HWND window : disabled)
        if (contains(window)) EnableWindow(window, TRUE);
}

HWND activeForm() {
    HWND active = GetActiveWindow();
    return contains(active) ? active : nullptr;
}

void dispatch(MSG& message) {
    const UINT outer = keyBeingPressed;
    if (isKey(message, true)) keyBeingPressed = static_cast<UINT>(message.wParam);
    if (!takenByKeyboardInterface(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    keyBeingPressed = outer;
}

void spendKeyBeingPressed() {
    if (keyBeingPressed != 0) keystrokes().spend(static_cast<int>(keyBeingPressed & 0xFF));
}

} // namespace tk::win32::forms
