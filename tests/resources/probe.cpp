// Starts a program and reports, one JSON line each, what Windows made of its resources:
// the common controls DLL loaded into it, and where its window is; for comparison also the
// common controls that this probe, which has no manifest, gets. Then it keeps the program
// open for the given time, for a screenshot, and ends it. (Another process cannot ask the
// window for its icons under Wine; the screenshot shows them.)
//
//     resources-probe.exe PROGRAM CAPTION-PREFIX HOLD-MS

#include "JsonText.h"

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The file version of a DLL: "major.minor.build.revision".
std::wstring fileVersion(const std::wstring& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return L"";
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return L"";
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    return text;
}

void reportModule(const char* who, const std::wstring& path) {
    std::printf("{\"type\":\"comctl32\",\"who\":\"%s\",\"path\":%s,\"version\":%s}\n", who,
                jsonQuoted(path).c_str(), jsonQuoted(fileVersion(path)).c_str());
}

struct Search {
    DWORD process;
    const wchar_t* prefix;
    HWND found;
};

BOOL CALLBACK findWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (process == search->process && IsWindowVisible(window) &&
        std::wcsncmp(caption, search->prefix, std::wcslen(search->prefix)) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: resources-probe PROGRAM CAPTION-PREFIX HOLD-MS\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const wchar_t* prefix = argv[2];
    const DWORD hold = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));

    // What a program without a manifest gets.
    InitCommonControls();
    if (HMODULE own = GetModuleHandleW(L"comctl32.dll")) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(own, path, MAX_PATH);
        reportModule("probe", path);
    }

    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("{\"type\":\"error\",\"text\":\"cannot start the program (%lu)\"}\n",
                    GetLastError());
        return 1;
    }
    WaitForInputIdle(process.hProcess, 20000);
    Search search{process.dwProcessId, prefix, nullptr};
    for (int i = 0; i < 200 && !search.found; ++i) {
        EnumWindows(&findWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) {
        std::printf("{\"type\":\"error\",\"text\":\"no window\"}\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.dwProcessId);
    if (snapshot != INVALID_HANDLE_VALUE) {
        MODULEENTRY32W module{};
        module.dwSize = sizeof module;
        for (BOOL more = Module32FirstW(snapshot, &module); more;
             more = Module32NextW(snapshot, &module))
            if (_wcsicmp(module.szModule, L"comctl32.dll") == 0)
                reportModule("program", module.szExePath);
        CloseHandle(snapshot);
    }

    RECT outer{};
    GetWindowRect(search.found, &outer);
    POINT client{0, 0};
    ClientToScreen(search.found, &client);
    std::printf("{\"type\":\"window\",\"rect\":[%ld,%ld,%ld,%ld],\"client\":[%ld,%ld]}\n",
                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.x,
                client.y);
    std::fflush(stdout);

    Sleep(hold);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("{\"type\":\"done\"}\n");
    return 0;
}
