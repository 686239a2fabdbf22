#include "platform/SystemPlatform.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

namespace platform {

namespace {

std::wstring widen(std::string_view text) {
    // The command lines are ASCII; every byte becomes one UTF-16 unit.
    return std::wstring(text.begin(), text.end());
}

// The system's text for an error code, in UTF-8, with the code itself.
std::string errorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    std::string result(WideCharToMultiByte(CP_UTF8, 0, message.data(),
                                           static_cast<int>(message.size()), nullptr, 0, nullptr,
                                           nullptr),
                       '\0');
    WideCharToMultiByte(CP_UTF8, 0, message.data(), static_cast<int>(message.size()), result.data(),
                        static_cast<int>(result.size()), nullptr, nullptr);
    return (result.empty() ? "" : result + " ") + "(error " + std::to_string(error) + ")";
}

PowerOffAnswer refused(std::string reason) {
    return PowerOffAnswer{false, std::move(reason)};
}

// ExitWindowsEx refuses to shut down unless the caller's token holds the shutdown privilege
// enabled, which no process has from the start. Returns why it could not be enabled, or
// nothing. Windows 95, 98 and Me have no privileges and need none.
std::optional<std::string> enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return "OpenProcessToken: " + errorText(GetLastError());
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    std::optional<std::string> failure;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        failure = "LookupPrivilegeValue: " + errorText(GetLastError());
    else if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr))
        failure = "AdjustTokenPrivileges: " + errorText(GetLastError());
    // It succeeds also when the token does not hold the privilege at all, and says so only
    // through the last error.
    else if (GetLastError() == ERROR_NOT_ALL_ASSIGNED)
        failure = "AdjustTokenPrivileges: " + errorText(ERROR_NOT_ALL_ASSIGNED);
    CloseHandle(token);
    return failure;
}

// The shutdown.exe processes whose end is awaited, by the timer that looks at each.
struct AwaitedCommand {
    HANDLE process;
    PowerOffReply reply;
};
std::map<UINT_PTR, AwaitedCommand>& awaitedCommands() {
    static std::map<UINT_PTR, AwaitedCommand> awaited;
    return awaited;
}

// How often a running shutdown.exe is looked at.
constexpr UINT LookEveryMs = 100;

// A look at an awaited shutdown.exe, from the event loop of whichever window or box runs it:
// once it has ended, its exit status answers.
void CALLBACK lookAtCommand(HWND, UINT, UINT_PTR timer, DWORD) {
    auto& awaited = awaitedCommands();
    const auto found = awaited.find(timer);
    if (found == awaited.end()) return;
    if (WaitForSingleObject(found->second.process, 0) == WAIT_TIMEOUT) return;
    KillTimer(nullptr, timer);
    const HANDLE process = found->second.process;
    const PowerOffReply reply = std::move(found->second.reply);
    awaited.erase(found);
    DWORD status = 0;
    const bool read = GetExitCodeProcess(process, &status);
    const DWORD error = GetLastError();
    CloseHandle(process);
    if (!read)
        reply(refused("shutdown.exe: its exit status is unknown: " + errorText(error)));
    else if (status != 0)
        reply(refused("shutdown.exe refused: " + errorText(status)));
    else
        reply(PowerOffAnswer{true, {}});
}

} // namespace

std::optional<VersionNumbers> SystemPlatform::versionNumbers() {
    // Looked up at run time, so that a system without the call counts as a failed query.
    using GetVersionExAFn = BOOL(WINAPI*)(OSVERSIONINFOA*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto getVersionEx = kernel ? reinterpret_cast<GetVersionExAFn>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel, "GetVersionExA")))
                               : nullptr;
    if (!getVersionEx) return std::nullopt;

    OSVERSIONINFOA info{};
    static_assert(sizeof info == 148);
    info.dwOSVersionInfoSize = sizeof info;
    getVersionEx(&info); // a refusal leaves the zero-filled record
    return VersionNumbers{info.dwMajorVersion, info.dwMinorVersion};
}

void SystemPlatform::startShutdownCommand(std::string_view commandLine, int showCommand,
                                          PowerOffReply reply) {
    // The system directory's own shutdown.exe, named in full: a bare "shutdown" would run any
    // shutdown.exe lying in the program's folder or the current folder first.
    wchar_t directory[MAX_PATH];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        reply(refused("GetSystemDirectory: " + errorText(GetLastError())));
        return;
    }
    const std::wstring application = std::wstring(directory, length) + L"\\shutdown.exe";
    std::wstring arguments = widen(commandLine);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        reply(refused("shutdown.exe could not be started: " + errorText(GetLastError())));
        return;
    }
    CloseHandle(process.hThread);
    // The program's exit status answers; the window goes on meanwhile.
    const UINT_PTR timer = SetTimer(nullptr, 0, LookEveryMs, lookAtCommand);
    if (timer == 0) {
        CloseHandle(process.hProcess);
        reply(refused("shutdown.exe was started, but cannot be waited for: SetTimer: " +
                      errorText(GetLastError())));
        return;
    }
    awaitedCommands()[timer] = AwaitedCommand{process.hProcess, std::move(reply)};
}

void SystemPlatform::exitWindows(std::uint32_t flags, std::uint32_t reason, PowerOffReply reply) {
    const std::optional<std::string> privilege = enableShutdownPrivilege();
    if (ExitWindowsEx(flags, reason)) {
        reply(PowerOffAnswer{true, {}});
        return;
    }
    std::string why = "ExitWindowsEx: " + errorText(GetLastError());
    if (privilege) why += "; the shutdown privilege could not be enabled: " + *privilege;
    reply(refused(std::move(why)));
}

namespace {

HKEY keyHandle(registry::Key key) {
    return reinterpret_cast<HKEY>(key);
}

// The predefined roots are 32-bit values that the system widens with their sign.
HKEY rootHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

} // namespace

long SystemPlatform::openRegistryKey(std::uint32_t root, std::string_view subKey,
                                     std::uint32_t access, registry::Key& key) {
    const std::string name(subKey);
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(rootHandle(root), name.c_str(), 0, access, &opened);
    if (result == ERROR_SUCCESS) key = reinterpret_cast<registry::Key>(opened);
    return result;
}

long SystemPlatform::queryRegistryValue(registry::Key key, std::string_view valueName,
                                        std::uint32_t& type, std::span<std::uint8_t> data,
                                        std::uint32_t& size) {
    const std::string name(valueName);
    DWORD valueType = 0;
    DWORD length = static_cast<DWORD>(std::min<std::size_t>(size, data.size()));
    const LONG result =
        RegQueryValueExA(keyHandle(key), name.c_str(), nullptr, &valueType, data.data(), &length);
    type = valueType;
    size = length;
    return result;
}

void SystemPlatform::closeRegistryKey(registry::Key key) {
    RegCloseKey(keyHandle(key));
}

// Each look-up asks the registry itself: a run of them needs nothing.
void SystemPlatform::beginRegistryLookups() {}
void SystemPlatform::endRegistryLookups() {}

bool SystemPlatform::fileExists(std::string_view path) {
    // Directories, hidden and system files do not count as files here.
    const std::string name(path);
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool SystemPlatform::startProgram(std::string_view path, int showCommand) {
    if (path.empty()) return false;
    // The path is the program itself, handed over as the application name and quoted in its
    // command line: as a bare command line, a path with blanks such as
    // "C:\Program Files\..." would start "C:\Program.exe" where one exists.
    const std::string application(path);
    std::string commandLine = "\"" + application + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool SystemPlatform::openInShell(std::string_view address) {
    // Looked up at run time: a system without the shell library skips the call.
    using ShellExecuteAFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const ShellExecuteAFn shellExecute = [] {
        HMODULE shell = LoadLibraryA("shell32.dll");
        return shell ? reinterpret_cast<ShellExecuteAFn>(
                           reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")))
                     : nullptr;
    }();
    // What the shell answers, and whether it could be asked, is not looked at.
    if (!shellExecute) return true;
    // The shell may hand the address to handlers that need COM on this thread.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    const std::string file(address);
    shellExecute(nullptr, nullptr, file.c_str(), nullptr, "", SW_SHOWNORMAL);
    return true;
}

} // namespace platform
