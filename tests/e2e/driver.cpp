// nodrell-driver: looks at and works the windows of a program from outside, the way a user
// would, for the end-to-end tests. It runs in the same Wine prefix as the program.
//
// Usage: nodrell-driver <command> [args] [; <command> [args]]...
// Commands run in order in one process (a Wine process start costs time); the first that
// fails ends the run with exit code 2 and ends the program started by `start`, if any.
// Every result is one JSON object per line on stdout.
//
//   start <exe> [args]              start a program; prints its pid. Later commands look only
//                                   at that program's windows. It is ended with the driver.
//   wait-window <caption> <ms>      wait for a visible top-level window whose caption starts
//                                   with <caption> ("=<caption>": is exactly <caption>);
//                                   prints its handle
//   dump <caption>                  the window and every window inside it
//   close <caption>                 post WM_CLOSE to the window
//   wait-exit <ms>                  wait for the started program to end; prints its exit code
//   stop <ms>                       close the started program's windows and wait for it to
//                                   end; ends it by force after <ms>; prints which happened
//   sleep <ms>                      wait
//   hold <ms>                       keep a hidden window open, so that Wine's desktop process
//                                   stays between the tests' programs (when it closes and
//                                   restarts, the next program may stall for 10 s)
//   winver                          the Windows version this prefix reports
//
// Working the controls as a user would. <control> names a window inside the window whose
// caption starts with <caption>: "@x,y" the innermost visible control at that point of the
// window's client area (pixels), "#id" the control with that id, anything else the control
// whose text is exactly that.
// The input goes straight to the program's windows as the messages a control gets from a
// click or a key (WM_LBUTTONDOWN/UP; WM_KEYDOWN, WM_CHAR, WM_KEYUP), not through the
// desktop's input queue: programs of tests running side by side never get it, and each
// message is handled before the next goes (a posted WM_KEYDOWN would have its WM_CHAR
// queued behind input posted after it). Like real input it reaches no disabled control and
// no window behind a modal box. Dialog keys (Tab, Enter, Escape) are not emulated.
//
//   click <caption> <control>       press and release the left mouse button over the
//                                   control's centre; prints whether it was delivered and
//                                   whether its handling returned (not while a box it
//                                   opened is up)
//   type <caption> <control> <text> click into the control, clear it with End and
//                                   Backspace, and type the text key by key; the keys go
//                                   wherever the focus is at each key, as real keys would
//   type-time <caption> <hours control> <minutes control> <seconds control> <s>
//                                   type the local time <s> seconds from now (two digits
//                                   each) into the three controls; prints the time typed
//   focus <caption> <control> <ms>  wait up to <ms> for the focus to be on the control;
//                                   prints where it is (not an error when elsewhere)
//   wait-gone <caption> <ms>        wait until no visible window of the program has a
//                                   caption starting with <caption>
//   windows                         the program's visible top-level windows
//   wait-file <path> <ms>           wait until the file exists and is not empty
//   clock                           the local time, to the millisecond
//   press <caption> <control>       a click whose release is not waited for: for a control
//                                   whose click opens a modal window (its handling stays
//                                   inside that window's loop until it closes)
//   key <caption> <key> [repeats]   post a key press, its auto-repeats (none by default) and
//                                   its release (escape, enter, tab, space or a virtual-key
//                                   code) to the focus of the window's program: these go
//                                   through its message loop, as real keys do, so that its
//                                   dialog keys see them; each to the focus as the key before
//                                   left it
//   cycle <caption> <control> <window caption> <key> <count> <ms>
//                                   <count> times: press the control, wait for the window
//                                   and its focus, close it with the key and wait for it to
//                                   go; <ms> is the longest wait for each step. Prints the
//                                   time taken
//   hide <caption> <control>        hide the control, to see what lies behind it
//   resources                       what the started program holds: GetGuiResources' GDI
//                                   and USER counts (with the error each left), the GDI
//                                   objects in its handle table, its windows (hidden and
//                                   message-only ones too) and its kernel handles; -1 where
//                                   a count cannot be had
#include "JsonText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr UINT MessageTimeoutMs = 5000;
// How often the waiting commands look again.
constexpr DWORD CommandPollMs = 20;

struct Started {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    DWORD pid = 0;
};

Started started;

// One line of JSON, written when complete so that lines never interleave.
class Json {
public:
    Json& text(const char* key, std::wstring_view value) {
        this->key(key);
        line_ += jsonQuoted(value);
        return *this;
    }
    Json& number(const char* key, long long value) {
        this->key(key);
        line_ += std::to_string(value);
        return *this;
    }
    Json& flag(const char* key, bool value) {
        this->key(key);
        line_ += value ? "true" : "false";
        return *this;
    }
    Json& numbers(const char* key, std::initializer_list<long long> values) {
        this->key(key);
        line_ += '[';
        bool first = true;
        for (const long long v : values) {
            if (!first) line_ += ',';
            first = false;
            line_ += std::to_string(v);
        }
        line_ += ']';
        return *this;
    }
    void print() {
        line_ += "}\n";
        std::fwrite(line_.data(), 1, line_.size(), stdout);
        std::fflush(stdout);
    }

private:
    void key(const char* name) {
        line_ += line_.size() > 1 ? ",\"" : "\"";
        line_ += name;
        line_ += "\":";
    }
    std::string line_ = "{";
};

void fail(std::wstring_view message) {
    Json().text("type", L"error").text("message", message).print();
}

long long handleValue(HWND window) {
    return static_cast<long long>(reinterpret_cast<INT_PTR>(window));
}

bool parseMs(const std::wstring& text, DWORD& ms) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0') {
        fail(L"not a number of milliseconds: " + text);
        return false;
    }
    ms = value;
    return true;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// WM_GETTEXT reaches controls of another process, hidden ones and those outside the client
// area alike; GetWindowText would only return the caption of a top-level window.
std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                             &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, MessageTimeoutMs, &copied))
        return {};
    text.resize(copied);
    return text;
}

bool processRunning() {
    return started.process && WaitForSingleObject(started.process, 0) == WAIT_TIMEOUT;
}

// Whether a caption is the one looked for: one that starts with the text, or, for "=text",
// one that is exactly the text.
bool captionMatches(std::wstring_view caption, std::wstring_view wanted) {
    if (!wanted.empty() && wanted[0] == L'=') return caption == wanted.substr(1);
    return caption.substr(0, wanted.size()) == wanted;
}

struct TopSearch {
    const std::wstring* prefix;
    bool quietly;
    HWND found = nullptr;
};

BOOL CALLBACK findTop(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TopSearch*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    if (started.pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != started.pid) return TRUE;
    }
    std::wstring caption;
    if (search.quietly) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        caption = text;
    } else {
        caption = windowText(window);
    }
    if (!captionMatches(caption, *search.prefix)) return TRUE;
    search.found = window;
    return FALSE;
}

// The visible top-level window (of the started program, if any) whose caption starts with
// the text. `quietly` reads the captions without a message to the program, which would have
// to stop what it does to answer it: a window of another process gives its caption to
// GetWindowText from the system's own copy.
HWND findWindow(const std::wstring& prefix, bool quietly = false) {
    TopSearch search{&prefix, quietly};
    EnumWindows(findTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls the condition every `pollMs` until it holds or the time is up.
template <typename Condition> bool waitFor(DWORD timeout, DWORD pollMs, Condition condition) {
    const ULONGLONG begin = GetTickCount64();
    while (!condition()) {
        if (GetTickCount64() - begin >= timeout) return false;
        Sleep(pollMs);
    }
    return true;
}

HWND requireWindow(const std::wstring& prefix) {
    HWND window = findWindow(prefix);
    if (!window) fail(L"no visible window with a caption starting with \"" + prefix + L"\"");
    return window;
}

std::wstring quoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

bool cmdStart(const std::vector<std::wstring>& args) {
    if (args.empty()) {
        fail(L"start needs a program");
        return false;
    }
    if (started.process) {
        fail(L"a program was started already");
        return false;
    }
    std::wstring commandLine;
    for (const auto& arg : args) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += quoteArgument(arg);
    }
    // The job ends the program with the driver, so a failed or killed run leaves nothing.
    started.job = CreateJobObjectW(nullptr, nullptr);
    if (started.job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(started.job, JobObjectExtendedLimitInformation, &limits,
                                sizeof limits);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &info)) {
        fail(L"cannot start " + commandLine + L": error " + std::to_wstring(GetLastError()));
        return false;
    }
    if (started.job) AssignProcessToJobObject(started.job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.pid = info.dwProcessId;
    Json().text("type", L"start").number("pid", info.dwProcessId).print();
    return true;
}

// Lists the top-level windows of the started program (all of them when none was started),
// to show what came up instead of the awaited window.
BOOL CALLBACK listWindow(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (started.pid && pid != started.pid) return TRUE;
    Json()
        .text("type", L"other-window")
        .number("hwnd", handleValue(window))
        .number("pid", pid)
        .text("caption", windowText(window))
        .text("class", className(window))
        .flag("visible", IsWindowVisible(window) != FALSE)
        .print();
    return TRUE;
}

bool cmdWaitWindow(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 2 || !parseMs(args[1], timeout)) {
        if (args.size() != 2) fail(L"usage: wait-window <caption> <ms>");
        return false;
    }
    const ULONGLONG begin = GetTickCount64();
    for (;;) {
        if (HWND window = findWindow(args[0])) {
            // A window shows before the code that shows it has finished (it may set the
            // focus next); the program is ready once it waits for input.
            bool idle = true;
            if (started.process) {
                const ULONGLONG waited = GetTickCount64() - begin;
                idle = WaitForInputIdle(started.process, waited < timeout
                                                             ? static_cast<DWORD>(timeout - waited)
                                                             : 0) == 0;
            }
            Json()
                .text("type", L"window-found")
                .number("hwnd", handleValue(window))
                .flag("idle", idle)
                .number("waitedMs", static_cast<long long>(GetTickCount64() - begin))
                .print();
            return true;
        }
        if (started.process && !processRunning()) {
            DWORD code = 0;
            GetExitCodeProcess(started.process, &code);
            fail(L"the program ended with exit code " + std::to_wstring(code) +
                 L" before showing its window");
            return false;
        }
        if (GetTickCount64() - begin >= timeout) {
            fail(L"no window with a caption starting with \"" + args[0] + L"\" after " + args[1] +
                 L" ms");
            EnumWindows(listWindow, 0);
            return false;
        }
        Sleep(20);
    }
}

struct DumpContext {
    HWND top;
    int order = 0;
};

BOOL CALLBACK dumpChild(HWND child, LPARAM param) {
    auto& context = *reinterpret_cast<DumpContext*>(param);
    RECT box{};
    GetWindowRect(child, &box);
    POINT inTop[2] = {{box.left, box.top}, {box.right, box.bottom}};
    MapWindowPoints(nullptr, context.top, inTop, 2);
    HWND parent = GetAncestor(child, GA_PARENT);
    POINT inParent[2] = {{box.left, box.top}, {box.right, box.bottom}};
    MapWindowPoints(nullptr, parent, inParent, 2);
    RECT client{};
    GetClientRect(child, &client);
    const std::wstring cls = className(child);
    Json line;
    line.text("type", L"child")
        .number("order", context.order++)
        .number("hwnd", handleValue(child))
        .number("parent", handleValue(parent))
        .text("class", cls)
        .number("id", GetDlgCtrlID(child))
        .text("text", windowText(child))
        .number("style", static_cast<long long>(GetWindowLongW(child, GWL_STYLE) & 0xFFFFFFFFu))
        .number("exstyle", static_cast<long long>(GetWindowLongW(child, GWL_EXSTYLE) & 0xFFFFFFFFu))
        .numbers("rect", {inTop[0].x, inTop[0].y, inTop[1].x - inTop[0].x, inTop[1].y - inTop[0].y})
        .numbers("parentRect", {inParent[0].x, inParent[0].y, inParent[1].x - inParent[0].x,
                                inParent[1].y - inParent[0].y})
        .numbers("client", {client.right, client.bottom})
        .flag("enabled", IsWindowEnabled(child) != FALSE)
        .flag("visible", IsWindowVisible(child) != FALSE);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL &&
        (style & SS_TYPEMASK) == SS_ICON) {
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs, &icon);
        line.flag("icon", icon != 0);
    }
    if (CompareStringOrdinal(cls.c_str(), -1, L"Edit", -1, TRUE) == CSTR_EQUAL) {
        DWORD_PTR selection = 0;
        DWORD_PTR limit = 0;
        SendMessageTimeoutW(child, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs, &selection);
        SendMessageTimeoutW(child, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                            &limit);
        line.numbers("sel", {LOWORD(selection), HIWORD(selection)})
            .number("limit", static_cast<long long>(limit));
    }
    line.print();
    return TRUE;
}

bool cmdDump(const std::vector<std::wstring>& args) {
    if (args.size() != 1) {
        fail(L"usage: dump <caption>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    if (!top) return false;
    RECT outer{};
    GetWindowRect(top, &outer);
    RECT client{};
    GetClientRect(top, &client);
    POINT origin{0, 0};
    ClientToScreen(top, &origin);
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(top, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(thread, &gui);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    Json()
        .text("type", L"window")
        .number("hwnd", handleValue(top))
        .number("pid", pid)
        .text("caption", windowText(top))
        .text("class", className(top))
        .number("style", static_cast<long long>(GetWindowLongW(top, GWL_STYLE) & 0xFFFFFFFFu))
        .number("exstyle", static_cast<long long>(GetWindowLongW(top, GWL_EXSTYLE) & 0xFFFFFFFFu))
        .number("owner", handleValue(GetWindow(top, GW_OWNER)))
        .numbers("rect",
                 {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top})
        .numbers("clientOrigin", {origin.x, origin.y})
        .numbers("client", {client.right, client.bottom})
        .number("focus", handleValue(gui.hwndFocus))
        .number("active", handleValue(gui.hwndActive))
        .flag("enabled", IsWindowEnabled(top) != FALSE)
        .number("dpi", dpi)
        .print();
    DumpContext context{top};
    EnumChildWindows(top, dumpChild, reinterpret_cast<LPARAM>(&context));
    Json().text("type", L"end").number("children", context.order).print();
    return true;
}

bool cmdClose(const std::vector<std::wstring>& args) {
    if (args.size() != 1) {
        fail(L"usage: close <caption>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    if (!top) return false;
    PostMessageW(top, WM_CLOSE, 0, 0);
    Json().text("type", L"close").number("hwnd", handleValue(top)).print();
    return true;
}

bool requireStarted() {
    if (!started.process) fail(L"no program was started");
    return started.process != nullptr;
}

bool waitExit(DWORD timeout, bool& ended, DWORD& code) {
    ended = WaitForSingleObject(started.process, timeout) == WAIT_OBJECT_0;
    code = 0;
    if (ended) GetExitCodeProcess(started.process, &code);
    return ended;
}

bool cmdWaitExit(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 1) fail(L"usage: wait-exit <ms>");
    if (args.size() != 1 || !parseMs(args[0], timeout) || !requireStarted()) return false;
    bool ended = false;
    DWORD code = 0;
    const ULONGLONG begin = GetTickCount64();
    if (!waitExit(timeout, ended, code)) {
        fail(L"the program is still running after " + args[0] + L" ms");
        return false;
    }
    Json()
        .text("type", L"exit")
        .number("exitCode", code)
        .number("waitedMs", static_cast<long long>(GetTickCount64() - begin))
        .print();
    return true;
}

BOOL CALLBACK closeOwnWindows(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == started.pid && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

bool cmdStop(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 1) fail(L"usage: stop <ms>");
    if (args.size() != 1 || !parseMs(args[0], timeout) || !requireStarted()) return false;
    bool ended = !processRunning();
    DWORD code = 0;
    if (!ended) {
        EnumWindows(closeOwnWindows, 0);
        waitExit(timeout, ended, code);
    } else {
        GetExitCodeProcess(started.process, &code);
    }
    if (!ended) {
        TerminateProcess(started.process, 1);
        WaitForSingleObject(started.process, MessageTimeoutMs);
    }
    Json()
        .text("type", L"stop")
        .flag("ended", ended)
        .flag("killed", !ended)
        .number("exitCode", code)
        .print();
    return true;
}

bool cmdSleep(const std::vector<std::wstring>& args) {
    DWORD ms = 0;
    if (args.size() != 1) fail(L"usage: sleep <ms>");
    if (args.size() != 1 || !parseMs(args[0], ms)) return false;
    Sleep(ms);
    return true;
}

bool cmdHold(const std::vector<std::wstring>& args) {
    DWORD ms = 0;
    if (args.size() != 1) fail(L"usage: hold <ms>");
    if (args.size() != 1 || !parseMs(args[0], ms)) return false;
    HWND window = CreateWindowExW(0, L"Static", L"nodrell-driver hold", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Json().text("type", L"hold").number("hwnd", handleValue(window)).print();
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    if (window) DestroyWindow(window);
    return true;
}

bool cmdWinver(const std::vector<std::wstring>&) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    Json()
        .text("type", L"winver")
        .number("major", version.dwMajorVersion)
        .number("minor", version.dwMinorVersion)
        .number("build", version.dwBuildNumber)
        .print();
    return true;
}

// --- working the controls ----------------------------------------------------------------

// How long a message's handling may take before the driver goes on: longer only when it
// opens a modal box, which is closed by a later command. The message is handled in any
// case, and the next one after it.
constexpr UINT HandlingMs = 2000;

// The innermost visible window at a point of the top-level window's client area; disabled
// windows count, as they stand in front of what lies behind them.
HWND controlAtPoint(HWND top, POINT point) {
    HWND current = top;
    for (;;) {
        HWND child = ChildWindowFromPointEx(current, point, CWP_SKIPINVISIBLE);
        if (!child || child == current) return current == top ? nullptr : current;
        MapWindowPoints(current, child, &point, 1);
        current = child;
    }
}

struct ChildSearch {
    const std::wstring* text = nullptr;
    int id = 0;
    HWND found = nullptr;
};

BOOL CALLBACK findChild(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<ChildSearch*>(param);
    const bool match =
        search.text ? windowText(child) == *search.text : GetDlgCtrlID(child) == search.id;
    if (!match) return TRUE;
    search.found = child;
    return FALSE;
}

HWND findControl(HWND top, const std::wstring& name) {
    if (name.size() > 1 && name[0] == L'@') {
        const size_t comma = name.find(L',');
        if (comma != std::wstring::npos) {
            POINT point{_wtoi(name.c_str() + 1), _wtoi(name.c_str() + comma + 1)};
            return controlAtPoint(top, point);
        }
    }
    ChildSearch search;
    if (name.size() > 1 && name[0] == L'#')
        search.id = _wtoi(name.c_str() + 1);
    else
        search.text = &name;
    EnumChildWindows(top, findChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND requireControl(HWND top, const std::wstring& name) {
    HWND control = findControl(top, name);
    if (!control) fail(L"no control \"" + name + L"\" in window \"" + windowText(top) + L"\"");
    return control;
}

// Input reaches a control only when it and every window it lies in are enabled.
bool takesInput(HWND control) {
    for (HWND window = control; window; window = GetAncestor(window, GA_PARENT)) {
        if (window == GetDesktopWindow()) break;
        if (!IsWindowEnabled(window)) return false;
    }
    return true;
}

void describe(Json& line, const char* key, HWND window) {
    line.number(key, handleValue(window));
    if (!window) return;
    line.text((std::string(key) + "Class").c_str(), className(window))
        .text((std::string(key) + "Text").c_str(), windowText(window))
        .number((std::string(key) + "Id").c_str(), GetDlgCtrlID(window));
}

// Sends the message and waits for its handling; false when that has not returned in time.
bool deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, HandlingMs, &result) !=
           0;
}

// The mouse moves over the control's centre and presses the left button there, as the
// control gets it from the system; returns where, for the release.
LPARAM buttonDown(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    deliver(control, WM_MOUSEMOVE, 0, at);
    deliver(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    return at;
}

// A press and release of the left button over the control's centre.
bool clickControl(HWND control, Json& line) {
    const bool reaches = takesInput(control);
    line.flag("delivered", reaches);
    if (!reaches) return false;
    line.flag("returned", deliver(control, WM_LBUTTONUP, 0, buttonDown(control)));
    return true;
}

bool cmdClick(const std::vector<std::wstring>& args) {
    if (args.size() != 2) {
        fail(L"usage: click <caption> <control>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    Json line;
    line.text("type", L"click");
    describe(line, "control", control);
    clickControl(control, line);
    line.print();
    return true;
}

HWND focusOf(HWND top) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
    return gui.hwndFocus;
}

// Where a key goes: the focus of the program, or, when another program of the same desktop
// has taken the activation meanwhile (tests running side by side), the window typed into.
HWND keyTarget(HWND top, HWND typedInto) {
    HWND focus = focusOf(top);
    return focus ? focus : typedInto;
}

// One key press and release as the control gets them, the character between them as the
// message loop's TranslateMessage makes it (0 for keys without one).
void pressKey(HWND top, HWND typedInto, UINT vk, wchar_t character) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    deliver(keyTarget(top, typedInto), WM_KEYDOWN, vk, static_cast<LPARAM>(1u | (scan << 16)));
    if (character) deliver(keyTarget(top, typedInto), WM_CHAR, character, 1u | (scan << 16));
    deliver(keyTarget(top, typedInto), WM_KEYUP, vk,
            static_cast<LPARAM>(1u | (scan << 16) | 0xC0000000u));
}

void typeCharacter(HWND top, HWND typedInto, wchar_t c) {
    const SHORT key = VkKeyScanW(c);
    if (key == -1 || HIBYTE(key) != 0) {
        // Needs Shift or has no key: the character alone.
        deliver(keyTarget(top, typedInto), WM_CHAR, c, 1);
        return;
    }
    pressKey(top, typedInto, LOBYTE(key), c);
}

// Whether the control took the click and had the focus when the typing began.
bool typeInto(HWND top, HWND control, const std::wstring& text, Json& line) {
    if (!clickControl(control, line)) return false;
    const bool focused = focusOf(top) == control;
    line.flag("focused", focused);
    const size_t length = windowText(control).size();
    pressKey(top, control, VK_END, 0);
    for (size_t i = 0; i < length; ++i)
        pressKey(top, control, VK_BACK, L'\b');
    for (const wchar_t c : text)
        typeCharacter(top, control, c);
    return focused;
}

bool cmdType(const std::vector<std::wstring>& args) {
    if (args.size() != 3) {
        fail(L"usage: type <caption> <control> <text>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    Json line;
    line.text("type", L"type").text("typed", args[2]);
    describe(line, "control", control);
    typeInto(top, control, args[2], line);
    line.text("text", windowText(control)).print();
    return true;
}

std::wstring timeText(const SYSTEMTIME& time, bool milliseconds) {
    wchar_t text[32];
    if (milliseconds)
        std::swprintf(text, 32, L"%02u:%02u:%02u.%03u", time.wHour, time.wMinute, time.wSecond,
                      time.wMilliseconds);
    else
        std::swprintf(text, 32, L"%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    return text;
}

bool cmdTypeTime(const std::vector<std::wstring>& args) {
    DWORD ahead = 0;
    if (args.size() != 5) {
        fail(L"usage: type-time <caption> <hours> <minutes> <seconds> <seconds from now>");
        return false;
    }
    if (!parseMs(args[4], ahead)) return false;
    HWND top = requireWindow(args[0]);
    if (!top) return false;
    HWND controls[3] = {};
    for (int i = 0; i < 3; ++i) {
        controls[i] = requireControl(top, args[1 + i]);
        if (!controls[i]) return false;
    }
    // Through the file time, so that seconds roll over into minutes, hours and the next day.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME file{};
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(ahead) * 10000000ull;
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME target{};
    FileTimeToSystemTime(&file, &target);
    const std::wstring parts = timeText(target, false);

    Json line;
    line.text("type", L"type-time").text("now", timeText(now, true)).text("target", parts);
    bool delivered = true;
    for (int i = 0; i < 3 && delivered; ++i) {
        Json field;
        delivered = typeInto(top, controls[i], parts.substr(static_cast<size_t>(i) * 3, 2), field);
    }
    SYSTEMTIME done{};
    GetLocalTime(&done);
    line.flag("delivered", delivered).text("done", timeText(done, true)).print();
    return true;
}

bool cmdFocus(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 3) fail(L"usage: focus <caption> <control> <ms>");
    if (args.size() != 3 || !parseMs(args[2], timeout)) return false;
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    const ULONGLONG begin = GetTickCount64();
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    waitFor(timeout, CommandPollMs, [&] {
        GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
        return gui.hwndFocus == control;
    });
    Json line;
    line.text("type", L"focus").flag("on", gui.hwndFocus == control);
    describe(line, "control", control);
    describe(line, "focus", gui.hwndFocus);
    describe(line, "active", gui.hwndActive);
    line.number("waitedMs", static_cast<long long>(GetTickCount64() - begin)).print();
    return true;
}

bool cmdWaitGone(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 2) fail(L"usage: wait-gone <caption> <ms>");
    if (args.size() != 2 || !parseMs(args[1], timeout)) return false;
    const ULONGLONG begin = GetTickCount64();
    if (!waitFor(timeout, CommandPollMs, [&] { return !findWindow(args[0]); })) {
        fail(L"the window \"" + args[0] + L"\" is still open after " + args[1] + L" ms");
        return false;
    }
    Json()
        .text("type", L"gone")
        .number("waitedMs", static_cast<long long>(GetTickCount64() - begin))
        .print();
    return true;
}

BOOL CALLBACK listVisible(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if ((started.pid && pid != started.pid) || !IsWindowVisible(window)) return TRUE;
    Json()
        .text("type", L"top")
        .number("hwnd", handleValue(window))
        .text("caption", windowText(window))
        .text("class", className(window))
        .flag("enabled", IsWindowEnabled(window) != FALSE)
        .print();
    return TRUE;
}

bool cmdWindows(const std::vector<std::wstring>&) {
    EnumWindows(listVisible, 0);
    Json().text("type", L"windows-end").print();
    return true;
}

bool cmdWaitFile(const std::vector<std::wstring>& args) {
    DWORD timeout = 0;
    if (args.size() != 2) fail(L"usage: wait-file <path> <ms>");
    if (args.size() != 2 || !parseMs(args[1], timeout)) return false;
    const ULONGLONG begin = GetTickCount64();
    const auto written = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(args[0].c_str(), GetFileExInfoStandard, &data) &&
               (data.nFileSizeLow || data.nFileSizeHigh);
    };
    if (!waitFor(timeout, CommandPollMs, written)) {
        fail(L"no file " + args[0] + L" after " + args[1] + L" ms");
        return false;
    }
    Json()
        .text("type", L"file")
        .number("waitedMs", static_cast<long long>(GetTickCount64() - begin))
        .print();
    return true;
}

bool cmdClock(const std::vector<std::wstring>&) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Json().text("type", L"clock").text("time", timeText(now, true)).print();
    return true;
}

// --- dialog keys ---------------------------------------------------------------------------

UINT keyCode(const std::wstring& name) {
    if (name == L"escape") return VK_ESCAPE;
    if (name == L"enter") return VK_RETURN;
    if (name == L"tab") return VK_TAB;
    if (name == L"space") return VK_SPACE;
    wchar_t* end = nullptr;
    const unsigned long code = std::wcstoul(name.c_str(), &end, 10);
    return !name.empty() && *end == L'\0' && code > 0 && code < 256 ? static_cast<UINT>(code) : 0;
}

// How long a posted key press may take to move the focus (or close its window) before the
// rest of the keystroke follows anyway, and how often that is looked at.
constexpr DWORD KeyTakenMs = 500;
constexpr DWORD KeyPollMs = 5;

// A key press, its auto-repeats and its release posted to the focus of the window's program:
// they pass through its message loop as real keys do, so that the window's keyboard
// interface (Escape, Enter, Tab) sees them. Keys sent straight to the control, as `type`
// does, would bypass it. As from a keyboard, each goes where the focus is once the one
// before has moved it: to the window beneath when the press closed its window.
HWND postKey(HWND top, UINT vk, int repeats) {
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    const auto focus = [thread] {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(thread, &gui);
        return gui.hwndFocus;
    };
    const auto press = static_cast<LPARAM>(1u | (MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16));
    HWND target = focus() ? focus() : top;
    HWND at = target;
    for (int i = 0; i <= repeats; ++i) {
        PostMessageW(at, WM_KEYDOWN, vk, i == 0 ? press : press | 0x40000000); // was down
        waitFor(KeyTakenMs, KeyPollMs, [&] { return !IsWindow(at) || (focus() && focus() != at); });
        if (focus()) at = focus();
    }
    PostMessageW(at, WM_KEYUP, vk, press | static_cast<LPARAM>(0xC0000000u));
    return target;
}

bool cmdKey(const std::vector<std::wstring>& args) {
    DWORD repeats = 0;
    if (args.size() < 2 || args.size() > 3) {
        fail(L"usage: key <caption> escape|enter|tab|space|<virtual-key code> [repeats]");
        return false;
    }
    if (args.size() == 3 && !parseMs(args[2], repeats)) return false;
    const UINT vk = keyCode(args[1]);
    if (!vk) {
        fail(L"not a key: " + args[1]);
        return false;
    }
    HWND top = requireWindow(args[0]);
    if (!top) return false;
    Json line;
    line.text("type", L"key").number("vk", vk);
    describe(line, "target", postKey(top, vk, static_cast<int>(repeats)));
    line.print();
    return true;
}

// A click whose release is not waited for: for a control whose click opens a modal window,
// inside whose loop the release's handling stays until that window closes.
bool pressControl(HWND control) {
    if (!takesInput(control)) return false;
    return SendNotifyMessageW(control, WM_LBUTTONUP, 0, buttonDown(control)) != FALSE;
}

bool cmdPress(const std::vector<std::wstring>& args) {
    if (args.size() != 2) {
        fail(L"usage: press <caption> <control>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    Json line;
    line.text("type", L"press");
    describe(line, "control", control);
    line.flag("delivered", pressControl(control)).print();
    return true;
}

bool cmdHide(const std::vector<std::wstring>& args) {
    if (args.size() != 2) {
        fail(L"usage: hide <caption> <control>");
        return false;
    }
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    ShowWindow(control, SW_HIDE);
    Json line;
    line.text("type", L"hide");
    describe(line, "control", control);
    line.flag("visible", IsWindowVisible(control) != FALSE).print();
    return true;
}

// --- repeated openings ---------------------------------------------------------------------

// The cycle's steps are short: they are polled every few milliseconds.
constexpr DWORD CyclePollMs = 5;

bool cmdCycle(const std::vector<std::wstring>& args) {
    DWORD count = 0;
    DWORD timeout = 0;
    if (args.size() != 6) {
        fail(L"usage: cycle <caption> <control> <window caption> <key> <count> <ms>");
        return false;
    }
    const UINT vk = keyCode(args[3]);
    if (!vk) fail(L"not a key: " + args[3]);
    if (!vk || !parseMs(args[4], count) || !parseMs(args[5], timeout)) return false;
    HWND top = requireWindow(args[0]);
    HWND control = top ? requireControl(top, args[1]) : nullptr;
    if (!control) return false;
    const ULONGLONG begin = GetTickCount64();
    ULONGLONG slowest = 0;
    // Where the time goes: until the window shows, until its focus is set, until it is gone.
    ULONGLONG showing = 0, focusing = 0, closing = 0;
    for (DWORD i = 0; i < count; ++i) {
        const ULONGLONG opening = GetTickCount64();
        const std::wstring which = L"opening " + std::to_wstring(i + 1) + L": ";
        // Back from the previous opening: the window takes input again.
        if (!waitFor(timeout, CyclePollMs, [&] { return takesInput(control); })) {
            fail(which + L"\"" + args[0] + L"\" takes no input");
            return false;
        }
        if (!pressControl(control)) {
            fail(which + L"the click was not delivered");
            return false;
        }
        HWND opened = nullptr;
        if (!waitFor(timeout, CyclePollMs,
                     [&] { return (opened = findWindow(args[2], true)) != nullptr; })) {
            fail(which + L"no window \"" + args[2] + L"\"");
            return false;
        }
        const ULONGLONG shown = GetTickCount64();
        showing += shown - opening;
        // Ready for keys once its focus is on one of its controls.
        if (!waitFor(timeout, CyclePollMs, [&] {
                HWND focus = focusOf(opened);
                return focus && IsChild(opened, focus);
            })) {
            fail(which + L"the focus did not reach a control of \"" + args[2] + L"\"");
            return false;
        }
        const ULONGLONG focused = GetTickCount64();
        focusing += focused - shown;
        postKey(opened, vk, 0);
        if (!waitFor(timeout, CyclePollMs, [&] { return !IsWindow(opened); })) {
            fail(which + L"\"" + args[2] + L"\" did not close");
            return false;
        }
        const ULONGLONG closed = GetTickCount64();
        closing += closed - focused;
        const ULONGLONG took = closed - opening;
        if (took > slowest) slowest = took;
    }
    // The program handles everything up to the last closing before it is looked at again.
    if (!waitFor(timeout, CyclePollMs, [&] { return takesInput(control); })) {
        fail(L"\"" + args[0] + L"\" takes no input after the last opening");
        return false;
    }
    const ULONGLONG total = GetTickCount64() - begin;
    Json()
        .text("type", L"cycle")
        .number("count", count)
        .number("totalMs", static_cast<long long>(total))
        .number("slowestMs", static_cast<long long>(slowest))
        .number("showingMs", static_cast<long long>(showing))
        .number("focusingMs", static_cast<long long>(focusing))
        .number("closingMs", static_cast<long long>(closing))
        .print();
    return true;
}

// --- what the program holds ----------------------------------------------------------------

struct WindowCount {
    DWORD pid = 0;
    long long top = 0;
    long long all = 0;
};

BOOL CALLBACK countChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->all;
    return TRUE;
}

void countWindow(HWND window, WindowCount& count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != count.pid) return;
    ++count.top;
    ++count.all;
    EnumChildWindows(window, countChild, reinterpret_cast<LPARAM>(&count));
}

BOOL CALLBACK countTop(HWND window, LPARAM param) {
    countWindow(window, *reinterpret_cast<WindowCount*>(param));
    return TRUE;
}

// Every window of the process, hidden and message-only ones included.
WindowCount countWindows(DWORD pid) {
    WindowCount count{pid};
    EnumWindows(countTop, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        countWindow(window, count);
    return count;
}

// The GDI handle table that the process environment block points to (GdiSharedHandleTable):
// Wine gives each process its own, in the layout of the system's table, whose entries hold
// the object type in the low byte of a word that is 0 in a free entry. Which of the two
// layouts applies is found out on the driver's own objects before a count of another
// process is believed.
struct GdiTableLayout {
    size_t entrySize;
    size_t typeOffset;
};
constexpr GdiTableLayout GdiTableLayouts[] = {{24, 14}, {16, 10}};
constexpr size_t GdiTableEntries = 0x10000;
constexpr size_t GdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

struct BasicProcessInfo {
    LONG_PTR exitStatus;
    void* pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG_PTR basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR parentProcessId;
};

template <typename Fn> Fn ntdll(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// The GDI objects in use in the process; -1 when its table cannot be read.
long long gdiTableCount(HANDLE process, const GdiTableLayout& layout) {
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = ntdll<QueryFn>("NtQueryInformationProcess");
    BasicProcessInfo info{};
    if (!query || query(process, 0, &info, sizeof info, nullptr) != 0 || !info.pebBaseAddress)
        return -1;
    const char* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(info.pebBaseAddress) + GdiTableOffset,
                           &table, sizeof table, &read) ||
        !table)
        return -1;
    constexpr size_t ChunkEntries = 4096;
    std::vector<unsigned char> chunk(ChunkEntries * layout.entrySize);
    long long used = 0;
    for (size_t first = 0; first < GdiTableEntries; first += ChunkEntries) {
        if (!ReadProcessMemory(process, table + first * layout.entrySize, chunk.data(),
                               chunk.size(), &read))
            return first ? used : -1;
        for (size_t at = layout.typeOffset; at < chunk.size(); at += layout.entrySize)
            if (chunk[at]) ++used;
    }
    return used;
}

// The layout under which a few brushes of the driver's own show, and go again; null when
// neither fits.
const GdiTableLayout* gdiTableLayout() {
    static const GdiTableLayout* const found = []() -> const GdiTableLayout* {
        constexpr int Made = 16;
        for (const GdiTableLayout& layout : GdiTableLayouts) {
            const long long before = gdiTableCount(GetCurrentProcess(), layout);
            HBRUSH brushes[Made] = {};
            for (int i = 0; i < Made; ++i)
                brushes[i] = CreateSolidBrush(RGB(i, 2 * i, 3 * i));
            const long long during = gdiTableCount(GetCurrentProcess(), layout);
            for (HBRUSH brush : brushes)
                DeleteObject(brush);
            const long long after = gdiTableCount(GetCurrentProcess(), layout);
            if (before >= 0 && during == before + Made && after == before) return &layout;
        }
        return nullptr;
    }();
    return found;
}

// The kernel object handles (files, events, keys...) the process holds, from the system's
// list of every process's handles; -1 when that cannot be had.
long long kernelHandleCount(DWORD pid) {
    using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    static const auto query = ntdll<QueryFn>("NtQuerySystemInformation");
    constexpr int SystemHandleInformation = 16;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    struct Entry {
        ULONG pid;
        UCHAR type;
        UCHAR attributes;
        USHORT handle;
        void* object;
        ULONG access;
    };
    if (!query) return -1;
    std::vector<ULONG_PTR> buffer(1 << 15);
    LONG status = InfoLengthMismatch;
    for (int tries = 0; tries < 8 && status == InfoLengthMismatch; ++tries) {
        ULONG needed = 0;
        status = query(SystemHandleInformation, buffer.data(),
                       static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed);
        if (status == InfoLengthMismatch) buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return -1;
    const ULONG count = static_cast<ULONG>(buffer[0]);
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 1);
    if ((count + 1) * sizeof(Entry) > buffer.size() * sizeof(ULONG_PTR)) return -1;
    long long held = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].pid == pid) ++held;
    return held;
}

// Whether that list counts handles here: a few events of the driver's own must show.
bool kernelHandlesCounted() {
    static const bool works = [] {
        constexpr int Made = 8;
        const DWORD self = GetCurrentProcessId();
        const long long before = kernelHandleCount(self);
        HANDLE events[Made] = {};
        for (HANDLE& event : events)
            event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const long long during = kernelHandleCount(self);
        for (HANDLE event : events)
            CloseHandle(event);
        return before >= 0 && during == before + Made && kernelHandleCount(self) == before;
    }();
    return works;
}

bool cmdResources(const std::vector<std::wstring>&) {
    if (!requireStarted()) return false;
    SetLastError(0);
    const DWORD gdi = GetGuiResources(started.process, GR_GDIOBJECTS);
    const DWORD gdiError = GetLastError();
    SetLastError(0);
    const DWORD user = GetGuiResources(started.process, GR_USEROBJECTS);
    const DWORD userError = GetLastError();
    const GdiTableLayout* layout = gdiTableLayout();
    const WindowCount windows = countWindows(started.pid);
    Json()
        .text("type", L"resources")
        .number("guiGdi", gdi)
        .number("guiGdiError", gdiError)
        .number("guiUser", user)
        .number("guiUserError", userError)
        .number("gdiTable", layout ? gdiTableCount(started.process, *layout) : -1)
        .number("gdiEntrySize", layout ? static_cast<long long>(layout->entrySize) : 0)
        .number("windows", windows.all)
        .number("topWindows", windows.top)
        .number("kernelHandles", kernelHandlesCounted() ? kernelHandleCount(started.pid) : -1)
        .print();
    return true;
}

struct Command {
    const wchar_t* name;
    bool (*run)(const std::vector<std::wstring>&);
};

constexpr Command Commands[] = {
    {L"start", cmdStart},        {L"wait-window", cmdWaitWindow},
    {L"dump", cmdDump},          {L"close", cmdClose},
    {L"wait-exit", cmdWaitExit}, {L"stop", cmdStop},
    {L"sleep", cmdSleep},        {L"hold", cmdHold},
    {L"winver", cmdWinver},      {L"click", cmdClick},
    {L"type", cmdType},          {L"type-time", cmdTypeTime},
    {L"focus", cmdFocus},        {L"wait-gone", cmdWaitGone},
    {L"windows", cmdWindows},    {L"clock", cmdClock},
    {L"wait-file", cmdWaitFile}, {L"key", cmdKey},
    {L"press", cmdPress},        {L"cycle", cmdCycle},
    {L"hide", cmdHide},          {L"resources", cmdResources},
};

bool runCommand(const std::vector<std::wstring>& words) {
    for (const auto& command : Commands) {
        if (words[0] == command.name)
            return command.run(std::vector<std::wstring>(words.begin() + 1, words.end()));
    }
    fail(L"unknown command: " + words[0]);
    return false;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::vector<std::wstring>> commands(1);
    for (int i = 1; i < argc; ++i) {
        if (std::wstring_view(argv[i]) == L";")
            commands.emplace_back();
        else
            commands.back().emplace_back(argv[i]);
    }
    bool ok = true;
    for (const auto& words : commands) {
        if (words.empty()) continue;
        if (!runCommand(words)) {
            ok = false;
            break;
        }
    }
    if (argc < 2) {
        fail(L"usage: nodrell-driver <command> [args] [; <command> [args]]...");
        ok = false;
    }
    if (processRunning()) {
        TerminateProcess(started.process, 1);
        WaitForSingleObject(started.process, MessageTimeoutMs);
    }
    return ok ? 0 : 2;
}
