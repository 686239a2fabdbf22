#include "toolkit/Program.h"

#include "FormWindow.h"
#include "toolkit/Clock.h"
#include "toolkit/TimerPhase.h"

#include <commctrl.h>

#include <map>
#include <utility>
#include <vector>

namespace tk {

// Windows knows a program's windows by its executable: it needs no name for them. The layout,
// its fonts and its pictures grow with the screen's dots per inch, and the program says so
// before its first window: Windows Vista and later would otherwise lay it out at 96 and
// stretch the picture, blurred. Windows XP has no such call and never stretches.
Application::Application(int& /*argc*/, char** /*argv*/, std::string_view /*desktopId*/) {
    using DeclareAware = BOOL(WINAPI*)();
    const auto declareAware = reinterpret_cast<DeclareAware>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")));
    if (declareAware) declareAware();
}

Application::~Application() = default;

int Application::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        win32::forms::dispatch(message);
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 1;
}

std::optional<std::string> missingDisplay() {
    return std::nullopt;
}

void initCommonControls() {
    InitCommonControls();
}

void showMessageBox(std::string_view text, std::string_view title, MsgIcon icon) {
    HWND window = win32::forms::activeForm();
    // The box disables its owner itself; the program's other windows wait as well.
    const std::vector<HWND> others = win32::forms::disableAllExcept(window);
    const UINT type = MB_OK | (icon == MsgIcon::Warning ? MB_ICONWARNING : 0u);
    MessageBoxW(window, win32::widen(text).c_str(), win32::widen(title).c_str(), type);
    keystrokes().spendHeld();
    win32::forms::enable(others);
}

void doEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        win32::forms::dispatch(message);
    }
}

void endProgram() {
    ExitProcess(0);
}

} // namespace tk

namespace tk::win32 {

namespace {

// A timer of a window: WM_TIMER with the row's id, set anew for every tick, which every message
// loop hands to fired().
class Timer final : public NativeTimer {
public:
    Timer(FormWindow& form, tk::Timer& timer, int row)
        : form_(form), timer_(timer), key_(form.hwnd(), FormWindow::id(row)) {
        timers()[key_] = this;
    }
    ~Timer() override {
        stop();
        timers().erase(key_);
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void schedule(int interval) override {
        if (HWND owner = form_.hwnd())
            SetTimer(owner, key_.second,
                     static_cast<UINT>(delayToNextTick(SystemClock::millisecondOfDay(), interval)),
                     &Timer::fired);
    }

    void stop() override {
        if (HWND owner = form_.hwnd()) KillTimer(owner, key_.second);
    }

private:
    using Key = std::pair<HWND, UINT_PTR>;

    static std::map<Key, Timer*>& timers() {
        static std::map<Key, Timer*> all;
        return all;
    }

    static void CALLBACK fired(HWND window, UINT, UINT_PTR id, DWORD) {
        if (const auto found = timers().find(Key{window, id}); found != timers().end())
            found->second->timer_.reportTick();
    }

    FormWindow& form_;
    tk::Timer& timer_;
    const Key key_;
};

} // namespace

std::unique_ptr<NativeTimer> FormWindow::createTimer(int row, tk::Timer& timer) {
    return std::make_unique<Timer>(*this, timer, row);
}

} // namespace tk::win32
