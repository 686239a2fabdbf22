#pragma once

#include "toolkit/Layout.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <string>
#include <string_view>

class QWidget;

namespace tk::qt {

QString toQString(std::string_view text);
std::string toStdString(const QString& text);

// A Windows colour value, system colours taken from the application's palette.
QColor toQColor(Color color);

// The face at that size; fontconfig picks the nearest face where this one is missing.
QFont toQFont(const Font& font);

// Text lies at the top of a control, placed across as asked.
Qt::Alignment toQtAlignment(Align align);

// Paints the widget's background in the colour, or leaves it see-through.
void setBackground(QWidget& widget, Color color);
void clearBackground(QWidget& widget);
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

} // namespace tk::qt
