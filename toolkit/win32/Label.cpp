#include "Label.h"

#include "Colors.h"
#include "Font.h"
#include "FormWindow.h"
#include "Image.h"
#include "Text.h"

#include <algorithm>

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
    if (row_.autoSize) fitCaption();
}

void Label::setVisible(bool visible) {
    NativeChild::setVisible(visible);
    if (row_.transparent) repaint();
}

void Label::setCaption(std::string_view caption) {
    const RECT before = boundsInParent(hwnd_);
    SetWindowTextW(hwnd_, widen(caption).c_str());
    if (row_.autoSize) fitCaption();
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

void Label::fitCaption() {
    const std::wstring text = windowText(hwnd_);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT extent{0, 0, 0, 0};
    if (!text.empty())
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    int width = extent.right - extent.left;
    int height = std::max<int>(extent.bottom - extent.top, metrics.tmHeight);
    if (row_.border) {
        width += 2 * GetSystemMetrics(SM_CXEDGE);
        height += 2 * GetSystemMetrics(SM_CYEDGE);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
void Label::drawSiblingsBehind(HDC dc) {
    const RECT mine = boundsInParent(hwnd_);
    for (HWND back : siblingsBehind(hwnd_)) {
        RECT overlap{};
        const RECT theirs = boundsInParent(back);
        if (!IsWindowVisible(back) || !IntersectRect(&overlap, &mine, &theirs)) continue;
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
    if (row_.transparent && msg == WM_PAINT && wParam == 0) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        drawSiblingsBehind(dc);
        Child::message(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        EndPaint(window, &paint);
        return 0;
    }
    return Child::message(window, msg, wParam, lParam);
}

} // namespace tk::win32
