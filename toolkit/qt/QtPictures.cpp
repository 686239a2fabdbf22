#include "QtPictures.h"

#include "QtConvert.h"

#include <QFile>
#include <QImage>
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

QIcon windowIcon(std::string_view name) {
    return name.empty() ? QIcon() : QIcon(picturePath(name));
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
