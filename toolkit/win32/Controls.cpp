#include "Controls.h"

#include "FormWindow.h"
#include "toolkit/CaptionWords.h"
#include "toolkit/LineBounds.h"
#include "toolkit/Twips.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

namespace tk::win32 {

namespace {

bool isLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

// The text of a window, whole.
std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Positions in a UTF-16 text as characters (code points) and back; a surrogate pair is one
// character.
int unitsToChars(std::wstring_view text, int units) {
    const std::size_t end = std::min(text.size(), static_cast<std::size_t>(std::max(units, 0)));
    int chars = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (!isLowSurrogate(text[i])) ++chars;
    return chars;
}

int charsToUnits(std::wstring_view text, int chars) {
    std::size_t i = 0;
    for (int seen = 0; i < text.size(); ++i) {
        if (!isLowSurrogate(text[i])) {
            if (seen == chars) break;
            ++seen;
        }
    }
    return static_cast<int>(i);
}

// Fills a Static's background with the colour.
bool fill(HDC dc, HBRUSH& background, Color color) {
    SetBkColor(dc, colorRef(color));
    background = brush(color);
    return true;
}

// The rectangle in `to`'s client coordinates, from `from`'s (null: the screen's).
RECT mapped(RECT rect, HWND from, HWND to) {
    MapWindowPoints(from, to, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int shiftState() {
    const auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return (down(VK_SHIFT) ? ShiftMask : 0) | (down(VK_CONTROL) ? CtrlMask : 0) |
           (down(VK_MENU) ? AltMask : 0);
}

} // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), units);
    return result;
}

Child* Child::of(HWND window) {
    return window ? reinterpret_cast<Child*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

void Child::create(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                   const RECT& bounds) {
    if (!row_.enabled) style |= WS_DISABLED;
    hwnd_ = CreateWindowExW(
        exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
        form_.parentOf(row_),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(FormWindow::id(tableRow_))),
        GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) throw std::runtime_error("cannot create the control " + std::string(row_.name));
    // At the bottom of its siblings' z-order, so that creating the controls of a container
    // front to back stacks them so.
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    // Standard controls leave their user data to their creator.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowSubclass(hwnd_, &Child::procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font(rowFont())), FALSE);
    form_.adopt(tableRow_, row_, hwnd_);
}

RECT Child::place() const {
    const int x = twipsToPixels(row_.left, screenDpiX());
    const int y = twipsToPixels(row_.top, screenDpiY());
    return RECT{x, y, x + twipsToPixels(row_.width, screenDpiX()),
                y + twipsToPixels(row_.height, screenDpiY())};
}

Font Child::rowFont() const {
    return row_.font.value_or(form_.font());
}

void Child::detach() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, &Child::procedure, 0);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT Child::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KILLFOCUS) form_.childFocused(nullptr);
    const LRESULT result = DefSubclassProc(window, msg, wParam, lParam);
    if (msg == WM_SETFOCUS) form_.childFocused(hwnd_);
    return result;
}

LRESULT CALLBACK Child::procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
    auto* child = reinterpret_cast<Child*>(self);
    // The last message of the native window: the object lets go of it before it goes.
    if (msg == WM_NCDESTROY) child->detach();
    return child->message(window, msg, wParam, lParam);
}

void Child::takeFocus(FocusMove how) {
    if (hwnd_) form_.focus(hwnd_, how);
}

RECT boundsInParent(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return mapped(bounds, nullptr, GetParent(window));
}

std::vector<HWND> siblingsBehind(HWND window) {
    std::vector<HWND> behind;
    for (HWND back = GetWindow(window, GW_HWNDNEXT); back; back = GetWindow(back, GW_HWNDNEXT))
        behind.push_back(back);
    std::reverse(behind.begin(), behind.end());
    return behind;
}

namespace {

// A label's font measured in a device context, and the same font at 96 dots per inch.
class LabelFont final : public CaptionFont {
public:
    LabelFont(HDC dc, HFONT at96, HFONT onScreen) : dc_(dc), at96_(at96), onScreen_(onScreen) {}
    double widthAt96(std::string_view text) const override { return measure(at96_, text); }
    double width(std::string_view text) const override { return measure(onScreen_, text); }

private:
    double measure(HFONT font, std::string_view text) const {
        const std::wstring wide = widen(text);
        SelectObject(dc_, font);
        SIZE size{};
        GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx;
    }

    HDC dc_;
    HFONT at96_, onScreen_;
};

// A label: a Static control that reports clicks. One without background shows the controls
// behind it through. One sized to its caption draws the caption's words itself, where
// placeWords (CaptionWords.h) puts them.
class Label final : public NativeChild<NativeLabel> {
public:
    Label(FormWindow& form, tk::Label& label, int tableRow)
        : NativeChild(form, label.row(), tableRow), label_(label),
          cursor_(row_.cursor.empty() ? nullptr : namedCursor(row_.cursor)) {
        // Plain Static styles wrap at word boundaries; the caption is shown as written.
        const DWORD align = row_.align == Align::Center ? SS_CENTER : SS_LEFT;
        create(L"Static", widen(label.caption()), align | SS_NOTIFY | SS_NOPREFIX,
               row_.border ? WS_EX_CLIENTEDGE : 0, place());
        if (row_.autoSize) placeWords();
    }

    void setCaption(std::string_view caption) override {
        SetWindowTextW(hwnd_, widen(caption).c_str());
        if (row_.autoSize) placeWords();
        // The old caption of one without background lies on what is behind it.
        if (row_.transparent)
            repaint();
        else
            redrawSeeThroughInFront();
    }

    // Drawn in the label's colours, which WM_CTLCOLORSTATIC reads.
    void setColors(Color, Color) override { repaint(); }

    void notify(int code) override {
        if (code == STN_CLICKED) label_.reportClick();
    }

    bool colors(HDC dc, HBRUSH& background) override {
        SetTextColor(dc, colorRef(label_.foreColor()));
        if (!row_.transparent) return fill(dc, background, label_.backColor());
        SetBkMode(dc, TRANSPARENT);
        background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        return true;
    }

    HCURSOR cursor() const override { return cursor_; }

private:
    struct Word {
        int x;
        std::wstring text;
    };

    void placeWords() {
        HDC dc = GetDC(hwnd_);
        const HFONT onScreen = font(rowFont());
        HGDIOBJ old = SelectObject(dc, onScreen);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        const std::string caption = label_.caption();
        const LabelFont measured(dc, font(rowFont(), LayoutDpi), onScreen);
        const PlacedCaption placed =
            tk::placeWords(caption, screenDpiX(), measured, coveredLine(metrics.tmHeight));
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);

        words_.clear();
        for (const PlacedWord& word : placed.words)
            words_.push_back({static_cast<int>(std::lround(word.x)), widen(word.text)});
        SetWindowPos(hwnd_, nullptr, 0, 0, static_cast<int>(std::ceil(placed.width)),
                     metrics.tmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The controls in front of the label that cover its line of text, and the edge of its
    // container, in pixels from the caption's left edge.
    std::vector<Covered> coveredLine(int height) const {
        RECT line = boundsInParent(hwnd_);
        line.bottom = line.top + height;
        RECT container{};
        GetClientRect(GetParent(hwnd_), &container);
        std::vector<Covered> covered{
            {1.0 * (container.right - line.left), std::numeric_limits<double>::infinity()}};
        for (HWND front = GetWindow(hwnd_, GW_HWNDPREV); front;
             front = GetWindow(front, GW_HWNDPREV)) {
            const RECT box = boundsInParent(front);
            if ((GetWindowLongW(front, GWL_STYLE) & WS_VISIBLE) && box.top < line.bottom &&
                line.top < box.bottom)
                covered.push_back({1.0 * (box.left - line.left), 1.0 * (box.right - line.left)});
        }
        return covered;
    }

    void drawWords(HDC dc) {
        HBRUSH background = nullptr;
        colors(dc, background);
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(dc, &client, background);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, font(rowFont()));
        for (const Word& word : words_)
            TextOutW(dc, word.x, 0, word.text.c_str(), static_cast<int>(word.text.size()));
        SelectObject(dc, old);
    }

    void repaint() {
        if (row_.transparent) {
            const RECT bounds = boundsInParent(hwnd_);
            RedrawWindow(GetParent(hwnd_), &bounds, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        } else {
            InvalidateRect(hwnd_, nullptr, TRUE);
            redrawSeeThroughInFront();
        }
    }

    // Labels without background in front of this one show it, so they are drawn again with it.
    void redrawSeeThroughInFront() {
        const RECT mine = boundsInParent(hwnd_);
        for (HWND front = GetWindow(hwnd_, GW_HWNDPREV); front;
             front = GetWindow(front, GW_HWNDPREV)) {
            RECT overlap{};
            const RECT theirs = boundsInParent(front);
            const Child* child = Child::of(front);
            const bool seeThrough =
                child && child->row().kind == Kind::Label && child->row().transparent;
            if (!seeThrough || !IntersectRect(&overlap, &mine, &theirs)) continue;
            const RECT inFront = mapped(overlap, GetParent(front), front);
            InvalidateRect(front, &inFront, FALSE);
        }
    }

    // The visible controls behind this label, drawn into its own picture from the back one
    // forward: a native window hides its siblings behind it, so they would not show otherwise.
    // A sibling's sunken edge lies outside its client area, which is all it prints itself.
    void drawSiblingsBehind(HDC dc) {
        const RECT mine = boundsInParent(hwnd_);
        for (HWND back : siblingsBehind(hwnd_)) {
            RECT overlap{};
            RECT theirs = boundsInParent(back);
            if (!IsWindowVisible(back) || !IntersectRect(&overlap, &mine, &theirs)) continue;
            if (GetWindowLongW(back, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
                RECT edge = mapped(theirs, GetParent(back), hwnd_);
                DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
            }
            POINT origin{0, 0};
            MapWindowPoints(back, hwnd_, &origin, 1);
            POINT old{};
            SetViewportOrgEx(dc, origin.x, origin.y, &old);
            SendMessageW(back, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                         PRF_CLIENT | PRF_ERASEBKGND);
            SetViewportOrgEx(dc, old.x, old.y, nullptr);
        }
    }

    LRESULT message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        // One without background paints what is behind it first; then the caption is printed as
        // WM_PRINTCLIENT prints it.
        if (msg == WM_PAINT && wParam == 0 && (row_.transparent || row_.autoSize)) {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window, &paint);
            if (row_.transparent) drawSiblingsBehind(dc);
            message(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
            EndPaint(window, &paint);
            return 0;
        }
        if (msg == WM_PRINTCLIENT && row_.autoSize) {
            drawWords(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        return Child::message(window, msg, wParam, lParam);
    }

    tk::Label& label_;
    HCURSOR cursor_;
    std::vector<Word> words_;
};

// A text box: a single-line Edit control.
class TextBox final : public NativeChild<NativeTextBox> {
public:
    TextBox(FormWindow& form, tk::TextBox& box, int tableRow)
        : NativeChild(form, box.row(), tableRow), box_(box) {
        ++quiet_; // the text it is created with is no change
        const DWORD align = row_.align == Align::Center ? ES_CENTER : ES_LEFT;
        create(L"Edit", widen(row_.caption), ES_AUTOHSCROLL | WS_TABSTOP | align, WS_EX_CLIENTEDGE,
               place());
        // Limits typing and pasting only; setText may still write more.
        if (row_.maxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, row_.maxLength, 0);
        SendMessageW(hwnd_, EM_SETSEL, 0, 0);
        --quiet_;
    }

    // The control's own change notice is held back, whether or not it reports an unchanged
    // text.
    void setText(std::string_view text) override {
        ++quiet_;
        SetWindowTextW(hwnd_, widen(text).c_str());
        SendMessageW(hwnd_, EM_SETSEL, 0, 0);
        --quiet_;
    }

    std::string text() const override { return narrow(windowText(hwnd_)); }

    void setSelStart(int start) override {
        const int units = charsToUnits(windowText(hwnd_), std::max(start, 0));
        SendMessageW(hwnd_, EM_SETSEL, units, units);
    }

    int selStart() const override { return unitsToChars(windowText(hwnd_), selection().first); }

    void setSelLength(int length) override {
        const std::wstring text = windowText(hwnd_);
        const int from = selection().first;
        const int to = charsToUnits(text, unitsToChars(text, from) + std::max(length, 0));
        SendMessageW(hwnd_, EM_SETSEL, from, to);
    }

    int selLength() const override {
        const std::wstring text = windowText(hwnd_);
        const auto [start, end] = selection();
        return unitsToChars(text, end) - unitsToChars(text, start);
    }

    // MSAA names an edit control by the first Static in front of it among its siblings: a
    // hidden one right in front names it without being seen. A text box is named once, as its
    // window is built; the Static goes with the parent.
    void setAccessibleName(std::string_view name) override {
        HWND nameLabel =
            CreateWindowExW(0, L"Static", widen(name).c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0,
                            GetParent(hwnd_), nullptr, GetModuleHandleW(nullptr), nullptr);
        HWND front = GetWindow(hwnd_, GW_HWNDPREV);
        SetWindowPos(nameLabel, front ? front : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }

    void notify(int code) override {
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

private:
    LRESULT message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
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
            wParam = static_cast<WPARAM>(key);
            [[fallthrough]];
        }
        case WM_PASTE: {
            const LRESULT result = Child::message(window, msg, wParam, lParam);
            refused_.reset();
            return result;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            box_.reportKeyUp(static_cast<int>(wParam), shiftState());
            break;
        case WM_SETFOCUS: {
            const LRESULT result = Child::message(window, msg, wParam, lParam);
            if (clicking_)
                focusedByClick_ = true; // reported once the press is handled
            else if (!form_.restoringFocus())
                box_.reportGotFocus();
            return result;
        }
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
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            if (msg == WM_LBUTTONUP) holdSelection_ = false;
            const LRESULT result = Child::message(window, msg, wParam, lParam);
            const int button = msg == WM_LBUTTONUP   ? LeftButton
                               : msg == WM_RBUTTONUP ? RightButton
                                                     : MiddleButton;
            box_.reportMouseUp(button, shiftState(), static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam)));
            return result;
        }
        default:
            break;
        }
        return Child::message(window, msg, wParam, lParam);
    }

    // The selection in UTF-16 units: its start, then its end, whichever way it was made.
    std::pair<int, int> selection() const {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }

    tk::TextBox& box_;
    int quiet_ = 0; // set while the text is written from code
    // The text when a typed or pasted character was refused for the length limit: the control
    // may still report a change, though nothing changed.
    std::optional<std::wstring> refused_;
    bool clicking_ = false;       // inside the control's own handling of a left press
    bool focusedByClick_ = false; // that press gave it the focus
    bool holdSelection_ = false;  // the press's drag would undo the got-focus selection
};

// A push button; a long caption wraps onto a second line.
class Button final : public NativeChild<NativeButton> {
public:
    Button(FormWindow& form, tk::Button& button, int tableRow)
        : NativeChild(form, button.row(), tableRow), button_(button) {
        create(L"Button", widen(button.caption()),
               (row_.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE | WS_TABSTOP, 0,
               place());
    }

    void setCaption(std::string_view caption) override {
        SetWindowTextW(hwnd_, widen(caption).c_str());
    }

    void click() override { button_.reportClick(); }

    // The thick border marks the button that Enter presses.
    void showAsDefault(bool isDefault) override {
        const auto style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
        const DWORD type = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (hwnd_ && (style & BS_TYPEMASK) != type)
            SendMessageW(hwnd_, BM_SETSTYLE, (style & ~static_cast<DWORD>(BS_TYPEMASK)) | type,
                         TRUE);
    }

    void notify(int code) override {
        if (code != BN_CLICKED) return;
        forms::spendKeyBeingPressed();
        click();
    }

private:
    tk::Button& button_;
};

// A picture box holding other controls: a Static that the keyboard interface walks into.
class PictureBox final : public NativeChild<NativeControl> {
public:
    PictureBox(FormWindow& form, const ControlSpec& row, int tableRow)
        : NativeChild(form, row, tableRow) {
        create(L"Static", L"", SS_LEFT, WS_EX_CONTROLPARENT | (row.border ? WS_EX_CLIENTEDGE : 0),
               place());
    }

    bool colors(HDC dc, HBRUSH& background) override {
        return fill(dc, background, row_.backColor.value_or(ButtonFace));
    }

private:
    // What the controls inside tell their parent is handled by the window.
    LRESULT message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if ((msg == WM_COMMAND || msg == WM_CTLCOLORSTATIC) && form_.hwnd())
            return SendMessageW(form_.hwnd(), msg, wParam, lParam);
        return Child::message(window, msg, wParam, lParam);
    }
};

// A level or upright line: a Static filled with the line's colour.
class Line final : public NativeChild<NativeControl> {
public:
    Line(FormWindow& form, const ControlSpec& row, int tableRow)
        : NativeChild(form, row, tableRow) {
        // The row holds the end points x1, y1, x2, y2.
        const auto x = [](int twips) { return twipsToPixels(twips, screenDpiX()); };
        const auto y = [](int twips) { return twipsToPixels(twips, screenDpiY()); };
        const PixelBounds line =
            lineBounds(x(row.left), y(row.top), x(row.width), y(row.height), row.lineWidth);
        create(L"Static", L"", SS_LEFT, 0,
               RECT{line.left, line.top, line.left + line.width, line.top + line.height});
    }

    bool colors(HDC dc, HBRUSH& background) override {
        return fill(dc, background, row_.foreColor.value_or(WindowText));
    }
};

} // namespace

std::unique_ptr<NativeLabel> FormWindow::createLabel(int row, tk::Label& label) {
    return std::make_unique<win32::Label>(*this, label, row);
}

std::unique_ptr<NativeTextBox> FormWindow::createTextBox(int row, tk::TextBox& box) {
    return std::make_unique<win32::TextBox>(*this, box, row);
}

std::unique_ptr<NativeButton> FormWindow::createButton(int row, tk::Button& button) {
    return std::make_unique<win32::Button>(*this, button, row);
}

std::unique_ptr<NativeControl> FormWindow::createStatic(int row, const ControlSpec& layout) {
    if (layout.kind == Kind::PictureBox) return std::make_unique<PictureBox>(*this, layout, row);
    if (layout.kind == Kind::Line) return std::make_unique<Line>(*this, layout, row);
    return createImage(*this, layout, row);
}

} // namespace tk::win32
