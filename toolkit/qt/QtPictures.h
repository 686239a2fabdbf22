#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

#include <string_view>

// The pictures the program carries, the Qt resources under :/pictures/ (app/CMakeLists.txt).
namespace tk::qt {

// The named picture; a null pixmap when there is none of that name.
QPixmap picture(std::string_view name);

// The named picture as a window icon, with every size it holds.
QIcon windowIcon(std::string_view name);

// The named cursor file as a mouse cursor with its own hot spot; the arrow when there is none.
QCursor mouseCursor(std::string_view name);

} // namespace tk::qt
