#include "Forms.h"

#include <algorithm>
#include <bitset>

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

UINT keyBeingPressed = 0; // the key whose press dispatch() hands on, 0 for none
std::bitset<256> spent;   // virtual-key codes

bool isKey(const MSG& message, bool down) {
    return message.message == (down ? WM_KEYDOWN : WM_KEYUP) ||
           message.message == (down ? WM_SYSKEYDOWN : WM_SYSKEYUP);
}

// Every message a loop of the thread takes passes here, the loops of message boxes too.
LRESULT CALLBACK dropSpentKeys(int code, WPARAM removed, LPARAM lParam) {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    const bool down = isKey(message, true);
    if (code == HC_ACTION && removed == PM_REMOVE && (down || isKey(message, false))) {
        const std::size_t key = message.wParam & 0xFF;
        if (spent[key]) {
            if (!down) spent[key] = false;
            message.message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

// Keys that never act alone: the mouse buttons and the modifiers.
bool spendable(int key) {
    switch (key) {
    case VK_LBUTTON:
    case VK_RBUTTON:
    case VK_MBUTTON:
    case VK_XBUTTON1:
    case VK_XBUTTON2:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_LWIN:
    case VK_RWIN:
        return false;
    default:
        return key < VK_LSHIFT || key > VK_RMENU;
    }
}

auto find(HWND window) {
    auto& list = entries();
    return std::find_if(list.begin(), list.end(),
                        [window](const Entry& entry) { return entry.window == window; });
}

// The keys of the active window's keyboard interface: Tab is the window's own, the others
// the dialog manager's.
bool takenByKeyboardInterface(MSG& message) {
    HWND active = activeForm();
    if (!active || (message.hwnd != active && !IsChild(active, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
        SendMessageW(active, TabKey, (GetKeyState(VK_SHIFT) & 0x8000) == 0, 0);
        return true;
    }
    return IsDialogMessageW(active, &message) != FALSE;
}

} // namespace

void add(HWND window) {
    static const HHOOK hook =
        SetWindowsHookExW(WH_GETMESSAGE, dropSpentKeys, nullptr, GetCurrentThreadId());
    (void)hook;
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
    const UINT outer = keyBeingPressed;
    if (isKey(message, true)) keyBeingPressed = static_cast<UINT>(message.wParam);
    if (!takenByKeyboardInterface(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    keyBeingPressed = outer;
}

void spendKeyBeingPressed() {
    if (keyBeingPressed != 0) spent[keyBeingPressed & 0xFF] = true;
}

void forgetSpentKeys() {
    spent.reset();
}

void spendHeldKeys() {
    BYTE state[256];
    if (!GetKeyboardState(state)) return;
    for (int key = 0; key < 256; ++key)
        if ((state[key] & 0x80) != 0 && spendable(key)) spent[key] = true;
}

} // namespace tk::win32::forms
