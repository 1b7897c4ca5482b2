#include "comm/Util.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

namespace vesk {
namespace pc {

bool Util::resizeImage(const QString& src, const QString& dst, int width, int height)
{
    if (!QFileInfo::exists(src)) {
        qCritical().noquote() << "Source image not exist:" << src;
        return false;
    }
    const QFileInfo target(dst);
    const QString dir = target.absolutePath();
    if (!QFileInfo(dir).isDir()) {
        qCritical().noquote() << "Directory not exist:" << dir;
        return false;
    }
    // The size the header declares decides the memory decoding takes, so
    // it is checked before anything is decoded.
    QImageReader reader(src);
    const QSize declared = reader.size();
    if (declared.isValid() && qint64(declared.width()) * declared.height() > kMaxPicturePixels) {
        qCritical() << "Image too large:" << declared;
        return false;
    }
    QImage image;
    if (!reader.read(&image)) {
        qCritical() << "Image format invalid";
        return false;
    }
    if (width <= 0 || height <= 0) {
        qWarning() << "Invalid image size" << width << "x" << height;
        return false;
    }
    const QImage scaled =
        image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Written beside dst under a temporary name and renamed over it only
    // when complete, so a failed save never leaves a broken picture.
    QSaveFile file(dst);
    const QByteArray format = target.suffix().toLatin1();
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "Cannot write" << dst << file.errorString();
        return false;
    }
    if (!scaled.save(&file, format.constData(), 100)) {
        qWarning() << "Cannot save image as" << format << "to" << dst;
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "Cannot write" << dst << file.errorString();
        return false;
    }
    return true;
}

} // namespace pc
} // namespace vesk
