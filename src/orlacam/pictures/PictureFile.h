#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Pictures come from the user and from the camera: each is measured (bytes
// on disk, pixel dimensions) before anything decodes it, and written under a
// temporary name that is renamed only when complete.
class PictureFile
{
public:
    enum Check { Ok = 0, Missing, TooLarge, Unreadable };

    static constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
    static constexpr int kMaxSide = 16384;
    static constexpr qint64 kMaxPixels = 50LL * 1000 * 1000;
    // The camera takes pictures below 512 KiB; the crop aims lower.
    static constexpr qint64 kCameraLimit = 0x80000;
    static constexpr qint64 kTargetBytes = 0x60000;
    static constexpr int kFirstQuality = 90;
    static constexpr int kQualityFloor = 20;

    static Check check(const QString& path, QSize* pixels = nullptr);
    // The decoded picture, opaque, or a null image with the reason in why.
    static QImage load(const QString& path, Check* why = nullptr);
    // Likewise, decoded no larger than bound (keeping its shape), which costs
    // a large photo a fraction of its full decoding; source gets the file's
    // own size.
    static QImage loadFitted(const QString& path, const QSize& bound, QSize* source, Check* why = nullptr);
    // A picture with transparency laid on white once, so that what the user
    // sees is what the camera gets; an opaque one as it is.
    static QImage opaque(const QImage& image);
    // Whether path names a file directly inside the data directory's pic/.
    static bool insidePicFolder(const QString& path);
    // Saved in the format of the file name, at the first quality that
    // brings it to the target size (each try 95 % of the one before, not
    // below the floor); false when even the floor leaves it at the camera's
    // limit or above, or the file cannot be written.
    static bool saveForCamera(const QImage& image, const QString& path, int* quality = nullptr);
};
