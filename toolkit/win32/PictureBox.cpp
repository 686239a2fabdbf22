#include "PictureBox.h"

#include "Colors.h"
#include "FormWindow.h"

namespace tk::win32 {

PictureBox::PictureBox(FormWindow& form, const ControlSpec& row, int id, HWND parent)
    : NativeChild(form, row, id) {
    create(L"Static", L"", SS_LEFT, WS_EX_CONTROLPARENT | (row.border ? WS_EX_CLIENTEDGE : 0),
           parent, pixelBounds(row.left, row.top, row.width, row.height));
}

bool PictureBox::colors(HDC dc, HBRUSH& background) {
    const Color back = row_.backColor.value_or(ButtonFace);
    SetBkColor(dc, colorRef(back));
    background = brush(back);
    return true;
}

LRESULT PictureBox::message(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    // What the controls inside tell their parent is handled by the window.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_DRAWITEM:
        if (HWND top = form_.hwnd()) return SendMessageW(top, msg, wParam, lParam);
        break;
    default:
        break;
    }
    return Child::message(window, msg, wParam, lParam);
}

} // namespace tk::win32
