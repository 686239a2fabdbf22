#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tk {

enum class MsgIcon { None, Warning };

// The program's event loop. Construct it once, before any window. `desktopId` names the
// program's desktop entry, without ".desktop", so that the desktop shows the program's
// windows with that entry's name and icon.
class Application {
public:
    Application(int& argc, char** argv, std::string_view desktopId);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the events until the last window is closed.
    int run();
};

// Why no window can be shown, or nothing when a display is there.
std::optional<std::string> missingDisplay();

// Registers the common controls so that the visual styles of the desktop theme apply.
void initCommonControls();

// A modal message box with one OK button; timer ticks go on while it is open. Afterwards the
// window that was active before is active again.
void msgBox(std::string_view text, std::string_view title, MsgIcon icon);

// Dispatches the events that are waiting, then returns.
void doEvents();

// Ends the program at once: no window's closing handling runs.
[[noreturn]] void endProgram();

} // namespace tk
