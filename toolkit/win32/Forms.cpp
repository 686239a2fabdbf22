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
// Virtual-key codes: the keys down that can act (not the modifiers), and the keys whose rest
// reaches nothing.
std::bitset<256> held;
std::bitset<256> spent;

bool isKey(const MSG& message, bool down) {
    return message.message == (down ? WM_KEYDOWN : WM_KEYUP) ||
           message.message == (down ? WM_SYSKEYDOWN : WM_SYSKEYUP);
}

bool isModifier(std::size_t key) {
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_CAPITAL ||
           key == VK_LWIN || key == VK_RWIN || (key >= VK_LSHIFT && key <= VK_RMENU);
}

// Every message a loop of the thread takes passes here, the loops of message boxes too.
LRESULT CALLBACK followKeys(int code, WPARAM removed, LPARAM lParam) {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    const bool down = isKey(message, true);
    if (code == HC_ACTION && removed == PM_REMOVE && (down || isKey(message, false))) {
        const std::size_t key = message.wParam & 0xFF;
        held[key] = down && !isModifier(key);
        if (spent[key]) {
            spent[key] = down;
            message.message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
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
        SetWindowsHookExW(WH_GETMESSAGE, followKeys, nullptr, GetCurrentThreadId());
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

void forgetKeys() {
    held.reset();
    spent.reset();
}

void spendHeldKeys() {
    spent |= held;
}

} // namespace tk::win32::forms
