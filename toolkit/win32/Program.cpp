#include "toolkit/Program.h"

#include "FormWindow.h"
#include "Forms.h"
#include "Text.h"

#include <commctrl.h>

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
    // Nothing shown, nothing to wait for.
    if (!win32::forms::anyOpen()) return 0;
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 1;
        win32::forms::dispatch(message);
    }
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
    win32::forms::spendHeldKeys();
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
