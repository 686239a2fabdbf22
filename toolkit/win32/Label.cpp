#include "Label.h"

#include "Colors.h"
#include "Font.h"
#include "Image.h"
#include "Text.h"

#include <algorithm>

namespace tk::win32 {

namespace {

constexpr Color ButtonText = 0x80000012u;
// Marks the native window of a label without background.
constexpr wchar_t SeeThrough[] = L"NodrellSeeThrough";

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

} // namespace

NativeLabel::NativeLabel(FormWindow& form, const ControlSpec& row, int id, HWND parent,
                         const Font& windowFont)
    : Child(form, row, id), font_(font(row.font.value_or(windowFont))),
      fore_(row.foreColor.value_or(ButtonText)), back_(row.backColor.value_or(ButtonFace)),
      cursor_(row.cursor.empty() ? nullptr : namedCursor(row.cursor)) {
    // Plain Static styles wrap at word boundaries; the caption is shown as written.
    const DWORD style = alignment(row.align) | SS_NOTIFY | SS_NOPREFIX;
    const DWORD exStyle = row.border ? WS_EX_CLIENTEDGE : 0;
    create(L"Static", widen(row.caption), style, exStyle, parent,
           pixelBounds(row.left, row.top, row.width, row.height));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (row.autoSize) fitCaption();
    if (row.transparent) {
        SetPropW(hwnd_, SeeThrough, reinterpret_cast<HANDLE>(1));
        subclass(hwnd_);
    }
}

void NativeLabel::setVisible(bool visible) {
    setVisibleNow(visible);
    if (row_.transparent) repaint();
}

// A write that changes nothing draws nothing: the clock writes its caption and colours on
// every tick, and the see-through labels in front would be drawn again each time.
void NativeLabel::setCaption(std::string_view caption) {
    const std::wstring text = widen(caption);
    if (text == windowText(hwnd_)) return;
    const RECT before = boundsInParent(hwnd_);
    SetWindowTextW(hwnd_, text.c_str());
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

std::string NativeLabel::caption() const {
    return narrow(windowText(hwnd_));
}

void NativeLabel::setBackColor(Color color) {
    if (color == back_) return;
    back_ = color;
    repaint();
}

void NativeLabel::setForeColor(Color color) {
    if (color == fore_) return;
    fore_ = color;
    repaint();
}

void NativeLabel::notify(int code) {
    if (code == STN_CLICKED && onClick) onClick();
}

bool NativeLabel::colors(HDC dc, HBRUSH& background) {
    SetTextColor(dc, colorRef(fore_));
    if (row_.transparent) {
        SetBkMode(dc, TRANSPARENT);
        background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    } else {
        SetBkColor(dc, colorRef(back_));
        background = brush(back_);
    }
    return true;
}

void NativeLabel::fitCaption() {
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

void NativeLabel::repaint() {
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
void NativeLabel::redrawSeeThroughInFront() {
    const RECT mine = boundsInParent(hwnd_);
    for (HWND front = GetWindow(hwnd_, GW_HWNDPREV); front; front = GetWindow(front, GW_HWNDPREV)) {
        RECT overlap{};
        const RECT theirs = boundsInParent(front);
        if (!GetPropW(front, SeeThrough) || !IntersectRect(&overlap, &mine, &theirs)) continue;
        MapWindowPoints(GetParent(front), front, reinterpret_cast<POINT*>(&overlap), 2);
        InvalidateRect(front, &overlap, FALSE);
    }
}

// The visible controls behind this label, drawn into its own picture from the back one
// forward: a native window hides its siblings behind it, so they would not show otherwise.
void NativeLabel::drawSiblingsBehind(HDC dc) {
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

LRESULT NativeLabel::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && wParam == 0) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        drawSiblingsBehind(dc);
        original(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        EndPaint(window, &paint);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemovePropW(window, SeeThrough);
    return original(window, msg, wParam, lParam);
}

} // namespace tk::win32
