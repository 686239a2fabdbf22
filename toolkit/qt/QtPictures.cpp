#include "QtPictures.h"

#include "QtConvert.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace tk::qt {

namespace {

QString picturePath(std::string_view name) {
    return QStringLiteral(":/pictures/") + toQString(name);
}

} // namespace

QPixmap picture(std::string_view name) {
    return name.empty() ? QPixmap() : QPixmap(picturePath(name));
}

// Every size the icon file holds. Read here rather than by QIcon from the file name: for a
// name without a suffix QIcon asks the MIME database for the type, which reads its cache and
// brings the regular expression library along (600 KB of resident set at every start).
QIcon windowIcon(std::string_view name) {
    QIcon icon;
    if (name.empty()) return icon;
    QImageReader reader(picturePath(name));
    QImage image;
    for (bool ok = reader.read(&image); ok; ok = reader.jumpToNextImage() && reader.read(&image))
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QCursor mouseCursor(std::string_view name) {
    QFile file(picturePath(name));
    if (name.empty() || !file.open(QIODevice::ReadOnly)) return QCursor(Qt::ArrowCursor);
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

} // namespace tk::qt
