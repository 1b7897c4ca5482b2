// The camera's picture transfers, run by its PictureTransfers part.

#include "uvc/UvcDevice.h"

namespace vesk {
namespace pc {

bool UvcDevice::startFileDownloadAsync(ImageTransType type)
{
    return pictures_.startFileDownloadAsync(type);
}

bool UvcDevice::startFileUploadAsync(ImageTransType type)
{
    return pictures_.startFileUploadAsync(type);
}

unsigned UvcDevice::pendingTransfers() const
{
    return pictures_.pendingTransfers();
}

unsigned UvcDevice::settledThumbnails() const
{
    return pictures_.settledThumbnails();
}

int UvcDevice::fileDownloadByUvc(const QString& localPath, const QString& deviceFile, bool thumbnail)
{
    return pictures_.fileDownloadByUvc(localPath, deviceFile, thumbnail);
}

bool UvcDevice::fileUploadByUvc(const QString& localPath, const QString& deviceFile)
{
    return pictures_.fileUploadByUvc(localPath, deviceFile);
}

void UvcDevice::runPictureTransfer()
{
    pictures_.runPictureTransfer();
}

void UvcDevice::setThumbnailPath(int slot, const QString& path)
{
    pictures_.setThumbnailPath(slot, path);
}

QString UvcDevice::thumbnailPath(int slot) const
{
    return pictures_.thumbnailPath(slot);
}

void UvcDevice::setFullPicturePath(int slot, const QString& path)
{
    pictures_.setFullPicturePath(slot, path);
}

QString UvcDevice::fullPicturePath(int slot) const
{
    return pictures_.fullPicturePath(slot);
}

QString UvcDevice::localPathFor(ImageTransType type) const
{
    return pictures_.localPathFor(type);
}

} // namespace pc
} // namespace vesk
