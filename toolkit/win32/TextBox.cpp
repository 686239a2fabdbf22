#include "TextBox.h"

#include "Font.h"
#include "FormWindow.h"
#include "Text.h"

#include <algorithm>

namespace tk::win32 {

namespace {

DWORD alignment(Align align) {
    switch (align) {
    case Align::Center:
        return ES_CENTER;
    case Align::Right:
        return ES_RIGHT;
    case Align::Left:
        break;
    }
    return ES_LEFT;
}

bool keyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

int shiftState() {
    return (keyDown(VK_SHIFT) ? ShiftMask : 0) | (keyDown(VK_CONTROL) ? CtrlMask : 0) |
           (keyDown(VK_MENU) ? AltMask : 0);
}

} // namespace

TextBox::TextBox(FormWindow& form, tk::TextBox& box, int id, HWND parent)
    : NativeChild(form, box.row(), id), box_(box) {
    ++quiet_; // the text it is created with is no change
    create(L"Edit", widen(row_.caption), ES_AUTOHSCROLL | WS_TABSTOP | alignment(row_.align),
           WS_EX_CLIENTEDGE, parent, pixelBounds(row_.left, row_.top, row_.width, row_.height));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font(row_.font.value_or(form.font()))),
                 FALSE);
    // Limits typing and pasting only; setText may still write more.
    if (row_.maxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, row_.maxLength, 0);
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);
    --quiet_;
}

// The control's own change notice is held back, whether or not it reports an unchanged text.
void TextBox::setText(std::string_view text) {
    const std::wstring wide = widen(text);
    ++quiet_;
    SendMessageW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);
    --quiet_;
}

std::string TextBox::text() const {
    return narrow(windowText(hwnd_));
}

std::pair<int, int> TextBox::selection() const {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

void TextBox::setSelStart(int start) {
    const std::wstring text = windowText(hwnd_);
    const int units = charsToUnits(text, std::max(start, 0));
    SendMessageW(hwnd_, EM_SETSEL, units, units);
}

int TextBox::selStart() const {
    const auto [start, end] = selection();
    return unitsToChars(windowText(hwnd_), std::min(start, end));
}

void TextBox::setSelLength(int length) {
    const std::wstring text = windowText(hwnd_);
    const auto [start, end] = selection();
    const int from = std::min(start, end);
    const int chars = unitsToChars(text, from);
    const int to = charsToUnits(text, chars + std::max(length, 0));
    SendMessageW(hwnd_, EM_SETSEL, from, to);
}

int TextBox::selLength() const {
    const std::wstring text = windowText(hwnd_);
    const auto [start, end] = selection();
    return unitsToChars(text, std::max(start, end)) - unitsToChars(text, std::min(start, end));
}

// MSAA names an edit control by the first Static in front of it among its siblings: a hidden
// one right in front names it without being seen.
void TextBox::setAccessibleName(std::string_view name) {
    const std::wstring text = widen(name);
    if (nameLabel_) {
        SetWindowTextW(nameLabel_, text.c_str());
        return;
    }
    nameLabel_ = CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0,
                                 GetParent(hwnd_), nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND front = GetWindow(hwnd_, GW_HWNDPREV);
    SetWindowPos(nameLabel_, front ? front : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TextBox::notify(int code) {
    if (code == EN_MAXTEXT) {
        // Comes before the control drops what does not fit.
        refused_ = windowText(hwnd_);
        return;
    }
    if (code != EN_CHANGE || quiet_ != 0) return;
    if (refused_) {
        const bool unchanged = *refused_ == windowText(hwnd_);
        refused_.reset();
        if (unchanged) return;
    }
    box_.reportChange();
}

void TextBox::mouseUp(int button, WPARAM wParam, LPARAM lParam) {
    const int shift = ((wParam & MK_SHIFT) ? ShiftMask : 0) |
                      ((wParam & MK_CONTROL) ? CtrlMask : 0) | (keyDown(VK_MENU) ? AltMask : 0);
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    box_.reportMouseUp(button, shift, x, y);
}

LRESULT TextBox::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Escape are the text box's own keys when no button of the window
        // takes them.
        LRESULT code = Child::message(window, msg, wParam, lParam);
        const auto* queued = reinterpret_cast<const MSG*>(lParam);
        if (queued && (queued->message == WM_KEYDOWN || queued->message == WM_CHAR)) {
            if ((queued->wParam == VK_RETURN && !form_.takesDialogKey(DialogKey::Enter)) ||
                (queued->wParam == VK_ESCAPE && !form_.takesDialogKey(DialogKey::Escape)))
                code |= DLGC_WANTMESSAGE;
        }
        return code;
    }
    case WM_CHAR: {
        int key = static_cast<int>(wParam);
        box_.reportKeyPress(key);
        if (key == 0) return 0;
        const LRESULT result = Child::message(window, msg, static_cast<WPARAM>(key), lParam);
        refused_.reset();
        return result;
    }
    case WM_PASTE: {
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        refused_.reset();
        return result;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        box_.reportKeyUp(static_cast<int>(wParam), shiftState());
        return Child::message(window, msg, wParam, lParam);
    case WM_SETFOCUS: {
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        form_.childFocused(hwnd_);
        if (clicking_)
            focusedByClick_ = true; // reported once the press is handled
        else if (!form_.restoringFocus())
            box_.reportGotFocus();
        return result;
    }
    case WM_KILLFOCUS:
        form_.childFocused(nullptr);
        break;
    case WM_LBUTTONDOWN: {
        clicking_ = true;
        focusedByClick_ = false;
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        clicking_ = false;
        if (focusedByClick_) {
            focusedByClick_ = false;
            // The control has placed the caret at the press; the got-focus handling comes
            // after, and a selection it makes is kept through the rest of the press.
            const auto before = selection();
            box_.reportGotFocus();
            holdSelection_ = selection() != before && GetCapture() == hwnd_;
        }
        return result;
    }
    case WM_MOUSEMOVE:
        if (holdSelection_) return 0;
        break;
    case WM_CAPTURECHANGED:
        holdSelection_ = false;
        break;
    case WM_LBUTTONUP: {
        holdSelection_ = false;
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        mouseUp(LeftButton, wParam, lParam);
        return result;
    }
    case WM_RBUTTONUP: {
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        mouseUp(RightButton, wParam, lParam);
        return result;
    }
    case WM_MBUTTONUP: {
        const LRESULT result = Child::message(window, msg, wParam, lParam);
        mouseUp(MiddleButton, wParam, lParam);
        return result;
    }
    default:
        break;
    }
    return Child::message(window, msg, wParam, lParam);
}

} // namespace tk::win32
