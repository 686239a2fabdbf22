#pragma once

#include "toolkit/Layout.h"

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QString>

#include <string_view>

class QWidget;

// What the windows are drawn with: their texts, fonts, colours and pictures, and their twips
// in pixels.
namespace tk::qt {

QString toQString(std::string_view text);

// The face at that size; fontconfig picks the nearest face where this one is missing.
QFont toQFont(const Font& font);

// Text lies at the top of a control, placed across as asked.
Qt::Alignment toQtAlignment(Align align);

// Paints the widget's background in the colour; the text of a label in the colour.
void setBackground(QWidget& widget, Color color);
void setTextColor(QWidget& widget, Color color);

// Twips to pixels at the primary screen's logical resolution.
class Scale {
public:
    static Scale ofPrimaryScreen();
    Scale(int dotsPerInchX, int dotsPerInchY) : dpiX_(dotsPerInchX), dpiY_(dotsPerInchY) {}
    int x(int twips) const;
    int y(int twips) const;
    int dotsPerInchX() const { return dpiX_; }

private:
    int dpiX_;
    int dpiY_;
};

// The pictures the program carries are the Qt resources under :/pictures/
// (app/CMakeLists.txt): a folder for each picture, holding its images, one for each size it is
// drawn at.

// The named picture with every image it has; a null icon when there is none of that name.
QIcon picture(std::string_view name);

// The named cursor file as a mouse cursor with its own hot spot; the arrow when there is none.
QCursor mouseCursor(std::string_view name);

// An image in `parent`: the named picture at its own size in the top left corner, its
// transparent pixels showing what lies behind. Its own size is that of its smallest image, the
// one drawn for 96 dots per inch; it grows with the layout, and each screen is painted from
// the image drawn nearest to the pixels it takes there. It is a label that also holds the
// picture's own image, as the picture it shows to whoever asks.
QWidget* newImage(QWidget* parent, std::string_view name, const Scale& scale);

} // namespace tk::qt
