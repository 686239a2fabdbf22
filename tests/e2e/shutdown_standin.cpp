// Takes the place of shutdown.exe in the system directory of a test prefix. It powers off
// nothing: it appends one JSON line about how it was started to a log file and ends, with the
// exit status in the environment variable NODRELL_SHUTDOWN_STATUS (0 when unset), as the real
// one ends with 1314 for a user without the right to shut down.
//
// The log is the file named by the environment variable NODRELL_SHUTDOWN_LOG, inherited from
// whoever started the program that started this one; without it, C:\nodrell-shutdown.log.
#include "JsonText.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int exitStatus() {
    wchar_t status[16];
    const DWORD length = GetEnvironmentVariableW(L"NODRELL_SHUTDOWN_STATUS", status, 16);
    return length > 0 && length < 16 ? _wtoi(status) : 0;
}

std::wstring logPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"NODRELL_SHUTDOWN_LOG", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return std::wstring(path, length);
    return L"C:\\nodrell-shutdown.log";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char time[32];
    std::snprintf(time, sizeof time, "%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond,
                  now.wMilliseconds);

    const std::string line =
        "{\"commandLine\":" + jsonQuoted(GetCommandLineW()) + ",\"module\":" + jsonQuoted(module) +
        ",\"flags\":" + std::to_string(startup.dwFlags) +
        ",\"showWindow\":" + std::to_string(startup.wShowWindow) +
        ",\"pid\":" + std::to_string(GetCurrentProcessId()) + ",\"time\":\"" + time + "\"}\r\n";

    // Several starts may append at once; FILE_APPEND_DATA writes each line whole at the end.
    const std::wstring path = logPath();
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size() ? exitStatus() : 1;
}
