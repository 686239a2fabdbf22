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

} // namespace

FormWindow::FormWindow(const WindowSpec& layout, Window& window) : layout_(layout) {
    registerClass();

    DWORD style = 0;
    DWORD exStyle = 0;
    if (layout.border == WindowBorder::FixedDialog) {
        style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle = WS_EX_DLGMODALFRAME;
    } else {
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        if (layout.minButton) style |= WS_MINIMIZEBOX;
        if (layout.maxButton) style |= WS_MAXIMIZEBOX;
    }

    const int clientWidth = twipsToPixels(layout.clientWidth, screenDpiX());
    const int clientHeight = twipsToPixels(layout.clientHeight, screenDpiY());
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;

    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (layout.position) {
        x = twipsToPixels(layout.position->x, screenDpiX());
        y = twipsToPixels(layout.position->y, screenDpiY());
    } else if (style & WS_POPUP) {
        // A pop-up has no system default place: the middle of the work area.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }

    CreateWindowExW(exStyle, ClassName, widen(layout.caption).c_str(), style, x, y, width, height,
                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd()) throw std::runtime_error("cannot create a window");
    // The large icon for the task switcher, the small one for the title bar.
    if (HICON big = windowIcon(layout.icon, GetSystemMetrics(SM_CXICON)))
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON little = windowIcon(layout.icon, GetSystemMetrics(SM_CXSMICON)))
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));

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

template <class T> std::unique_ptr<T> FormWindow::made(int row, std::unique_ptr<T> child) {
    children_[row] = child->hwnd();
    if (!child->row().toolTip.empty()) {
        if (!toolTips_) toolTips_ = std::make_unique<ToolTips>(hwnd());
        toolTips_->add(child->hwnd(), widen(child->row().toolTip));
    }
    return child;
}

HWND FormWindow::parentOf(const ControlSpec& row) const {
    const auto box = pictureBoxes_.find(row.container);
    return box != pictureBoxes_.end() ? box->second : hwnd();
}

std::unique_ptr<NativeLabel> FormWindow::createLabel(int row, tk::Label& label) {
    return made(row,
                std::make_unique<win32::Label>(*this, label, FirstId + row, parentOf(label.row())));
}

std::unique_ptr<NativeTextBox> FormWindow::createTextBox(int row, tk::TextBox& box) {
    return made(row,
                std::make_unique<win32::TextBox>(*this, box, FirstId + row, parentOf(box.row())));
}

std::unique_ptr<NativeButton> FormWindow::createButton(int row, tk::Button& button) {
    return made(
        row, std::make_unique<win32::Button>(*this, button, FirstId + row, parentOf(button.row())));
}

std::unique_ptr<NativeControl> FormWindow::createStatic(int row, const ControlSpec& spec) {
    const int id = FirstId + row;
    if (spec.kind == Kind::PictureBox) {
        auto box = made(row, std::make_unique<PictureBox>(*this, spec, id, parentOf(spec)));
        pictureBoxes_[spec.name] = box->hwnd();
        return box;
    }
    if (spec.kind == Kind::Line)
        return made(row, std::make_unique<Line>(*this, spec, id, parentOf(spec)));
    return made(row, std::make_unique<Image>(*this, spec, id, parentOf(spec)));
}

std::unique_ptr<NativeTimer> FormWindow::createTimer(int row, tk::Timer& timer) {
    return std::make_unique<win32::Timer>(*this, timer, static_cast<UINT_PTR>(FirstId + row));
}

void FormWindow::setTabOrder(std::span<const int> rows) {
    tabOrder_.clear();
    for (const int row : rows)
        tabOrder_.push_back(children_.at(row));
}

void FormWindow::removeTimer(Timer* timer) {
    std::erase(timers_, timer);
}

void FormWindow::setCaption(std::string_view caption) {
    if (hwnd()) SetWindowTextW(hwnd(), widen(caption).c_str());
}

void FormWindow::show() {
    if (!hwnd()) return;
    forms::markOpen(hwnd());
    if (IsWindowVisible(hwnd())) {
        SetForegroundWindow(hwnd());
        return;
    }
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

void FormWindow::showModal() {
    if (!hwnd()) return;
    // Owned by the window it interrupts: kept above it, and that one is activated again when
    // this one goes.
    if (HWND owner = forms::activeForm(); owner && owner != hwnd())
        SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    restoreOthers();
    disabledOthers_ = forms::disableAllExcept(hwnd());

    const std::shared_ptr<bool> alive = alive_;
    show();
    MSG message{};
    while (*alive && hwnd()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        forms::dispatch(message);
    }
    forms::spendHeldKeys();
    if (*alive) restoreOthers();
}

void FormWindow::close() {
    if (!hwnd()) return;
    // Enabled again before this one goes, so that the system activates the window it
    // interrupted rather than another program's.
    restoreOthers();
    DestroyWindow(hwnd());
}

bool FormWindow::visible() const {
    return hwnd() && IsWindowVisible(hwnd());
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
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(created->lpCreateParams);
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
    case forms::TabKey:
        if (window_ != nullptr) window_->tab(wParam != 0);
        return 0;
    case WM_TIMER:
        for (Timer* timer : timers_)
            if (timer->id() == wParam) {
                timer->tick();
                break;
            }
        return 0;
    case WM_ACTIVATE:
        // The focus goes back to the control that had it, not to the window itself.
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) activated();
        return 0;
    case WM_ACTIVATEAPP:
        if (!wParam) forms::forgetKeys();
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
    std::vector<HWND> others;
    others.swap(disabledOthers_);
    forms::enable(others);
}

void FormWindow::destroyed() {
    if (window_ != nullptr) window_->closed();
    restoreOthers();
    // Closing the last shown window ends the program's event loop.
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
