#include "QtDrawing.h"

#include "toolkit/Twips.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QtEndian>

namespace tk::qt {

namespace {

// The palette's entry for each system colour the windows use; the window's for the others.
QColor toQColor(Color color) {
    if (!isSystemColor(color)) return QColor(red(color), green(color), blue(color));
    const QPalette palette = QApplication::palette();
    switch (color) {
    case WindowText:
        return palette.color(QPalette::Text);
    case ButtonFace:
        return palette.color(QPalette::Button);
    case Shadow3D:
        return palette.color(QPalette::Dark);
    case ButtonText:
        return palette.color(QPalette::ButtonText);
    default:
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

// The files of the picture's images.
QStringList pictureFiles(std::string_view name) {
    QStringList files;
    if (name.empty()) return files;
    const QDir folder(QStringLiteral(":/pictures/") + toQString(name));
    for (const QString& file : folder.entryList(QDir::Files))
        files << folder.filePath(file);
    return files;
}

class Image final : public QLabel {
public:
    Image(QWidget* parent, const QIcon& picture, const Scale& scale)
        : QLabel(parent), picture_(picture) {
        QSize own; // that of its smallest image
        for (const QSize size : picture.availableSizes())
            if (own.isEmpty() || size.width() < own.width()) own = size;
        size_ = QSize(scale.x(own.width() * TwipsPerPixelAt96Dpi),
                      scale.y(own.height() * TwipsPerPixelAt96Dpi));
        setPixmap(picture.pixmap(own));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        picture_.paint(&painter, QRect(QPoint(0, 0), size_), Qt::AlignLeft | Qt::AlignTop);
    }

private:
    QIcon picture_;
    QSize size_;
};

} // namespace

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    if (align == Align::Center) return Qt::AlignHCenter | Qt::AlignTop;
    return (align == Align::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
}

void setBackground(QWidget& widget, Color color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void setTextColor(QWidget& widget, Color color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
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

// Every image of every file, read here rather than by QIcon from the file names: QIcon asks the
// MIME database for the type of a file, which reads its cache and brings the regular expression
// library along (600 KB of resident set at every start). Each file is read in the format its
// suffix names: left to guess, the reader loads every image plugin for a PNG file.
QIcon picture(std::string_view name) {
    QIcon icon;
    for (const QString& file : pictureFiles(name)) {
        QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
        reader.setAutoDetectImageFormat(false);
        QImage image;
        for (bool ok = reader.read(&image); ok;
             ok = reader.jumpToNextImage() && reader.read(&image))
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QCursor mouseCursor(std::string_view name) {
    const QStringList files = pictureFiles(name);
    QFile file(files.value(0));
    if (files.isEmpty() || !file.open(QIODevice::ReadOnly)) return QCursor(Qt::ArrowCursor);
    const QByteArray bytes = file.readAll();
    const QImage image = QImage::fromData(bytes);
    // A cursor file keeps the hot spot of its first image where an icon file keeps the
    // planes and the bits per pixel: two 16-bit words from byte 10 on.
    constexpr qsizetype HotSpot = 10;
    if (image.isNull() || bytes.size() < HotSpot + 4) return QCursor(Qt::ArrowCursor);
    const auto word = [&bytes](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    return QCursor(QPixmap::fromImage(image), word(HotSpot), word(HotSpot + 2));
}

QWidget* newImage(QWidget* parent, std::string_view name, const Scale& scale) {
    return new Image(parent, picture(name), scale);
}

} // namespace tk::qt
