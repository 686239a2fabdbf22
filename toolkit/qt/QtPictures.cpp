#include "QtPictures.h"

#include "toolkit/Twips.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>

namespace tk::qt {

namespace {

// The files of the picture's images.
QStringList pictureFiles(std::string_view name) {
    QStringList files;
    if (name.empty()) return files;
    const QDir folder(QStringLiteral(":/pictures/") + toQString(name));
    for (const QString& file : folder.entryList(QDir::Files))
        files << folder.filePath(file);
    return files;
}

} // namespace

// Every image of every file, read here rather than by QIcon from the file names: QIcon asks the
// MIME database for the type of a file, which reads its cache and brings the regular expression
// library along (600 KB of resident set at every start).
QIcon picture(std::string_view name) {
    QIcon icon;
    for (const QString& file : pictureFiles(name)) {
        QImageReader reader(file);
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

void PictureLabel::setPicture(const QIcon& picture, const Scale& scale) {
    picture_ = picture;
    const QList<QSize> sizes = picture.availableSizes();
    const QSize own =
        sizes.isEmpty() ? QSize()
                        : *std::min_element(sizes.begin(), sizes.end(),
                                            [](QSize a, QSize b) { return a.width() < b.width(); });
    size_ = QSize(scale.x(own.width() * TwipsPerPixelAt96Dpi),
                  scale.y(own.height() * TwipsPerPixelAt96Dpi));
    setPixmap(picture.pixmap(own));
}

void PictureLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.paint(&painter, QRect(QPoint(0, 0), size_), Qt::AlignLeft | Qt::AlignTop);
}

} // namespace tk::qt
