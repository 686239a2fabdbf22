#include "Image.h"

namespace tk::win32 {

Image::Image(FormWindow& form, const ControlSpec& spec, int id, HWND parent)
    : Child(form, spec, id) {
    create(L"Static", L"", SS_LEFT, 0, parent,
           pixelBounds(spec.left, spec.top, spec.width, spec.height));
}

bool Image::colors(HDC dc, HBRUSH& background) {
    SetBkMode(dc, TRANSPARENT);
    background = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return true;
}

} // namespace tk::win32
