#include "Forms.h"

#include <algorithm>

namespace tk::win32::forms {

namespace {

struct Entry {
    HWND window;
    bool open;
};

std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}

auto find(HWND window) {
    auto& list = entries();
    return std::find_if(list.begin(), list.end(),
                        [window](const Entry& entry) { return entry.window == window; });
}

} // namespace

void add(HWND window) {
    if (!contains(window)) entries().push_back(Entry{window, false});
}

void markOpen(HWND window) {
    const auto entry = find(window);
    if (entry != entries().end()) entry->open = true;
}

bool remove(HWND window) {
    const auto entry = find(window);
    if (entry == entries().end()) return false;
    const bool wasOpen = entry->open;
    entries().erase(entry);
    return wasOpen && !anyOpen();
}

bool contains(HWND window) {
    return window && find(window) != entries().end();
}

bool anyOpen() {
    const auto& list = entries();
    return std::any_of(list.begin(), list.end(), [](const Entry& entry) { return entry.open; });
}

std::vector<HWND> disableAllExcept(HWND keep) {
    std::vector<HWND> disabled;
    // A copy: disabling may run code that creates or destroys windows.
    const std::vector<Entry> list = entries();
    for (const Entry& entry : list) {
        if (entry.window == keep || !IsWindowEnabled(entry.window)) continue;
        EnableWindow(entry.window, FALSE);
        disabled.push_back(entry.window);
    }
    return disabled;
}

void enable(const std::vector<HWND>& windows) {
    for (HWND window : windows)
        if (contains(window)) EnableWindow(window, TRUE);
}

HWND activeForm() {
    HWND active = GetActiveWindow();
    return contains(active) ? active : nullptr;
}

void dispatch(MSG& message) {
    HWND active = activeForm();
    if (active && (message.hwnd == active || IsChild(active, message.hwnd))) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
            SendMessageW(active, TabKey, (GetKeyState(VK_SHIFT) & 0x8000) == 0, 0);
            return;
        }
        if (IsDialogMessageW(active, &message)) return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace tk::win32::forms
