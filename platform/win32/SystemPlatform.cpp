#include "platform/SystemPlatform.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

std::wstring widen(std::string_view text) {
    // The command lines are ASCII; every byte becomes one UTF-16 unit.
    return std::wstring(text.begin(), text.end());
}

// ExitWindowsEx refuses to shut down unless the caller's token holds the shutdown privilege
// enabled, which no process has from the start.
void enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
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

void SystemPlatform::startShutdownCommand(std::string_view commandLine, int showCommand) {
    // The system directory's own shutdown.exe, named in full: a bare "shutdown" would run any
    // shutdown.exe lying in the program's folder or the current folder first.
    wchar_t directory[MAX_PATH];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring application = std::wstring(directory, length) + L"\\shutdown.exe";
    std::wstring arguments = widen(commandLine);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(application.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void SystemPlatform::exitWindows(std::uint32_t flags, std::uint32_t reason) {
    enableShutdownPrivilege();
    ExitWindowsEx(flags, reason);
}

} // namespace platform
