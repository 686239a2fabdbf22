#include "QtConvert.h"

#include "toolkit/Twips.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace tk::qt {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStdString(const QString& text) {
    return text.toStdString();
}

namespace {

// The palette entry nearest to each Windows system colour.
QColor systemColor(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 0:  // scroll bar
    case 10: // active border
    case 11: // inactive border
    case 15: // button face
        return palette.color(QPalette::Button);
    case 1:  // desktop
    case 12: // application workspace
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 2:  // active caption
    case 13: // highlight
    case 27: // active caption gradient
    case 29: // menu highlight
        return palette.color(QPalette::Highlight);
    case 3:  // inactive caption
    case 28: // inactive caption gradient
        return palette.color(QPalette::Mid);
    case 5: // window
        return palette.color(QPalette::Base);
    case 6:  // window frame
    case 21: // 3-D dark shadow
        return palette.color(QPalette::Shadow);
    case 7:  // menu text
    case 19: // inactive caption text
        return palette.color(QPalette::WindowText);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 9:  // caption text
    case 14: // highlighted text
        return palette.color(QPalette::HighlightedText);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // 3-D highlight
        return palette.color(QPalette::Light);
    case 22: // 3-D light
        return palette.color(QPalette::Midlight);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    case 26: // hot-tracked item
        return palette.color(QPalette::Link);
    default: // menu, menu bar and the rest
        return palette.color(QPalette::Window);
    }
}

// The faces the layouts name, followed by the nearest faces that Linux desktops have, so
// that fontconfig's general fallback is only the last resort.
QStringList facesFor(std::string_view face) {
    if (face == "MS Sans Serif")
        return {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial"};
    if (face == "Verdana") return {"Verdana", "DejaVu Sans"};
    return {toQString(face)};
}

} // namespace

QColor toQColor(Color color) {
    if (isSystemColor(color)) return systemColor(systemColorIndex(color));
    return QColor(red(color), green(color), blue(color));
}

QFont toQFont(const Font& font) {
    QFont result;
    result.setFamilies(facesFor(font.face));
    result.setStyleHint(QFont::SansSerif);
    result.setPointSizeF(font.points);
    result.setBold(font.bold);
    result.setUnderline(font.underline);
    return result;
}

Qt::Alignment toQtAlignment(Align align) {
    switch (align) {
    case Align::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

void setBackground(QWidget& widget, Color color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void clearBackground(QWidget& widget) {
    widget.setAutoFillBackground(false);
}

void setTextColor(QWidget& widget, Color color) {
    QPalette palette = widget.palette();
    const QColor qcolor = toQColor(color);
    palette.setColor(QPalette::WindowText, qcolor);
    palette.setColor(QPalette::Text, qcolor);
    palette.setColor(QPalette::ButtonText, qcolor);
    widget.setPalette(palette);
}

Scale Scale::ofPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return Scale(96, 96);
    return Scale(qRound(screen->logicalDotsPerInchX()), qRound(screen->logicalDotsPerInchY()));
}

int Scale::x(int twips) const {
    return twipsToPixels(twips, dpiX_);
}
int Scale::y(int twips) const {
    return twipsToPixels(twips, dpiY_);
}

} // namespace tk::qt
