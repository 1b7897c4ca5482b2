#include "orlacam/pictures/PictureFile.h"

#include "comm/AppPaths.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

PictureFile::Check PictureFile::check(const QString& path, QSize* pixels)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return Missing;
    if (info.size() > kMaxFileBytes) {
        qWarning() << "Picture file too large:" << path << info.size();
        return TooLarge;
    }
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
        qWarning() << "Picture unreadable:" << path << reader.errorString();
        return Unreadable;
    }
    if (size.width() > kMaxSide || size.height() > kMaxSide
        || qint64(size.width()) * size.height() > kMaxPixels) {
        qWarning() << "Picture dimensions too large:" << path << size;
        return TooLarge;
    }
    if (pixels)
        *pixels = size;
    return Ok;
}

QImage PictureFile::load(const QString& path, Check* why)
{
    // No picture within the limits is larger than this.
    return loadFitted(path, QSize(kMaxSide, kMaxSide), nullptr, why);
}

QImage PictureFile::loadFitted(const QString& path, const QSize& bound, QSize* source, Check* why)
{
    QSize size;
    Check result = check(path, &size);
    QImage image;
    if (result == Ok) {
        QImageReader reader(path);
        if (size.width() > bound.width() || size.height() > bound.height())
            reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        if (!reader.read(&image)) {
            qWarning() << "Picture cannot be decoded:" << path << reader.errorString();
            result = Unreadable;
        }
    }
    if (source)
        *source = result == Ok ? size : QSize();
    if (why)
        *why = result;
    return result == Ok ? opaque(image) : QImage();
}

QImage PictureFile::opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

bool PictureFile::insidePicFolder(const QString& path)
{
    const QDir pic(vesk::pc::AppPaths::dataPath(QStringLiteral("pic")));
    const QFileInfo file(path);
    if (path.isEmpty() || file.fileName().isEmpty())
        return false;
    const QString folder = QDir(file.absolutePath()).canonicalPath();
    return !folder.isEmpty() && folder == pic.canonicalPath() && !file.isSymLink();
}

bool PictureFile::saveForCamera(const QImage& image, const QString& path, int* quality)
{
    const QByteArray format = QFileInfo(path).suffix().toLatin1();
    QByteArray bytes;
    int q = kFirstQuality;
    for (;;) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, format.constData(), q)) {
            qWarning() << "Cannot encode picture as" << format;
            return false;
        }
        if (bytes.size() <= kTargetBytes || q * 95 / 100 < kQualityFloor)
            break;
        q = q * 95 / 100;
    }
    if (bytes.size() >= kCameraLimit) {
        qWarning() << "Picture stays too large at quality" << q << bytes.size();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning() << "Cannot write picture" << path << file.errorString();
        return false;
    }
    if (quality)
        *quality = q;
    return true;
}
