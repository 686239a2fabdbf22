#pragma once

#include "QtConvert.h"

#include <QCursor>
#include <QIcon>
#include <QLabel>

#include <string_view>

// The pictures the program carries, the Qt resources under :/pictures/ (app/CMakeLists.txt):
// a folder for each picture, holding its images, one for each size it is drawn at.
namespace tk::qt {

// The named picture with every image it has; a null icon when there is none of that name.
QIcon picture(std::string_view name);

// The named cursor file as a mouse cursor with its own hot spot; the arrow when there is none.
QCursor mouseCursor(std::string_view name);

// An image: the picture at its own size in the top left corner, its transparent pixels
// showing what lies behind. Its own size is that of its smallest image, the one drawn for
// 96 dots per inch; it grows with the layout, and each screen is painted from the image drawn
// nearest to the pixels it takes there.
class PictureLabel final : public QLabel {
public:
    explicit PictureLabel(QWidget* parent) : QLabel(parent) {}
    // The label also holds the picture's own image, as the picture it shows to whoever asks.
    void setPicture(const QIcon& picture, const Scale& scale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon picture_;
    QSize size_;
};

} // namespace tk::qt
