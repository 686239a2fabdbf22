#pragma once

#include "Child.h"

namespace tk::win32 {

// An image: a Static without a background of its own.
class Image final : public Child {
  public:
    Image(FormWindow& form, const ControlSpec& spec, int id, HWND parent);

    bool colors(HDC dc, HBRUSH& background) override;
};

} // namespace tk::win32
