#include "Label.h"

#include "Colors.h"
#include "Font.h"
#include "FormWindow.h"
#include "Image.h"
#include "Text.h"

#include <cmath>
#include <limits>
#include <string>

namespace tk::win32 {

namespace {

DWORD alignment(Align align) {
    switch (align) {
    case Align::Center:
        return SS_CENTER;
    case Align::Right:
        return SS_RIGHT;
    case Align::Left:
        break;
    }
    return SS_LEFT;
}

bool seeThrough(HWND window) {
    const Child* child = Child::of(window);
    return child != nullptr && child->row().kind == Kind::Label && child->row().transparent;
}

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

} // namespace

Label::Label(FormWindow& form, tk::Label& label, int id, HWND parent)
    : NativeChild(form, label.row(), id), label_(label),
      font_(font(row_.font.value_or(form.font()))),
      cursor_(row_.cursor.empty() ? nullptr : namedCursor(row_.cursor)) {
    // Plain Static styles wrap at word boundaries; the caption is shown as written.
    const DWORD style = alignment(row_.align) | SS_NOTIFY | SS_NOPREFIX;
    const DWORD exStyle = row_.border ? WS_EX_CLIENTEDGE : 0;
    create(L"Static", widen(label.caption()), style, exStyle, parent,
           pixelBounds(row_.left, row_.top, row_.width, row_.height));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (row_.autoSize) placeWords();
}

void Label::setVisible(bool visible) {
    NativeChild::setVisible(visible);
    if (row_.transparent) repaint();
}

void Label::setCaption(std::string_view caption) {
    const RECT before = boundsInParent(hwnd_);
    SetWindowTextW(hwnd_, widen(caption).c_str());
    if (row_.autoSize) placeWords();
    if (row_.transparent) {
        // The old caption lies on the parent's background, which only the parent paints.
        RedrawWindow(GetParent(hwnd_), &before, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        repaint();
    } else {
        redrawSeeThroughInFront();
    }
}

void Label::notify(int code) {
    if (code == STN_CLICKED) label_.reportClick();
}

bool Label::colors(HDC dc, HBRUSH& background) {
    SetTextColor(dc, colorRef(label_.foreColor()));
    if (row_.transparent) {
        SetBkMode(dc, TRANSPARENT);
        background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    } else {
        SetBkColor(dc, colorRef(label_.backColor()));
        background = brush(label_.backColor());
    }
    return true;
}

void Label::placeWords() {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const std::string caption = label_.caption();
    const LabelFont font(dc, fontAt96Dpi(row_.font.value_or(form_.font())), font_);
    const PlacedCaption placed =
        tk::placeWords(caption, screenDpiX(), font, coveredLine(metrics.tmHeight));
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    words_.clear();
    for (const PlacedWord& word : placed.words)
        words_.push_back({static_cast<int>(std::lround(word.x)), widen(word.text)});
    int width = static_cast<int>(std::ceil(placed.width));
    int height = metrics.tmHeight;
    if (row_.border) {
        width += 2 * GetSystemMetrics(SM_CXEDGE);
        height += 2 * GetSystemMetrics(SM_CYEDGE);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The controls in front of the label that cover its line of text, and the edge of its
// container, in pixels from the caption's left edge.
std::vector<Covered> Label::coveredLine(int height) const {
    RECT line = boundsInParent(hwnd_);
    if (row_.border) {
        line.left += GetSystemMetrics(SM_CXEDGE);
        line.top += GetSystemMetrics(SM_CYEDGE);
    }
    line.bottom = line.top + height;
    RECT container{};
    GetClientRect(GetParent(hwnd_), &container);
    std::vector<Covered> covered{
        {1.0 * (container.right - line.left), std::numeric_limits<double>::infinity()}};
    for (HWND front = GetWindow(hwnd_, GW_HWNDPREV); front; front = GetWindow(front, GW_HWNDPREV)) {
        const RECT box = boundsInParent(front);
        if ((GetWindowLongW(front, GWL_STYLE) & WS_VISIBLE) && box.top < line.bottom &&
            line.top < box.bottom)
            covered.push_back({1.0 * (box.left - line.left), 1.0 * (box.right - line.left)});
    }
    return covered;
}

void Label::drawWords(HDC dc) {
    HBRUSH background = nullptr;
    colors(dc, background);
    if (!row_.transparent) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(dc, &client, background);
    }
    if (!IsWindowEnabled(hwnd_)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font_);
    for (const Word& word : words_)
        TextOutW(dc, word.x, 0, word.text.c_str(), static_cast<int>(word.text.size()));
    SelectObject(dc, old);
}

void Label::repaint() {
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
void Label::redrawSeeThroughInFront() {
    const RECT mine = boundsInParent(hwnd_);
    for (HWND front = GetWindow(hwnd_, GW_HWNDPREV); front; front = GetWindow(front, GW_HWNDPREV)) {
        RECT overlap{};
        const RECT theirs = boundsInParent(front);
        if (!seeThrough(front) || !IntersectRect(&overlap, &mine, &theirs)) continue;
        MapWindowPoints(GetParent(front), front, reinterpret_cast<POINT*>(&overlap), 2);
        InvalidateRect(front, &overlap, FALSE);
    }
}

// The visible controls behind this label, drawn into its own picture from the back one
// forward: a native window hides its siblings behind it, so they would not show otherwise.
// A sibling's sunken edge lies outside its client area, which is all it prints itself.
void Label::drawSiblingsBehind(HDC dc) {
    const RECT mine = boundsInParent(hwnd_);
    for (HWND back : siblingsBehind(hwnd_)) {
        RECT overlap{};
        RECT theirs = boundsInParent(back);
        if (!IsWindowVisible(back) || !IntersectRect(&overlap, &mine, &theirs)) continue;
        if (GetWindowLongW(back, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            MapWindowPoints(GetParent(back), hwnd_, reinterpret_cast<POINT*>(&theirs), 2);
            DrawEdge(dc, &theirs, EDGE_SUNKEN, BF_RECT);
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

LRESULT Label::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((row_.transparent || row_.autoSize) && msg == WM_PAINT && wParam == 0) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        if (row_.transparent) drawSiblingsBehind(dc);
        if (row_.autoSize)
            drawWords(dc);
        else
            Child::message(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        EndPaint(window, &paint);
        return 0;
    }
    if (row_.autoSize && msg == WM_PRINTCLIENT) {
        drawWords(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return Child::message(window, msg, wParam, lParam);
}

} // namespace tk::win32
