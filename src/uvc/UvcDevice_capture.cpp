// Stream capture: files come back from the camera inside video frames. The
// process's one capture, its sessions and the cutting of frames live in
// StreamCapture; the camera object is the receiver of its own frames.

#include "uvc/StreamCapture.h"
#include "uvc/UvcDevice.h"

#include <QDebug>

#include <climits>

namespace vesk {
namespace pc {

QString UvcDevice::getLocationId() const
{
    return QString::asprintf("0x%x%04x%04x", uint32_t(locationId_), unsigned(vendorId_),
                             unsigned(productId_));
}

uint32_t UvcDevice::captureFormats()
{
    return StreamCapture::captureFormats(device_.data(), getLocationId());
}

bool UvcDevice::initAvCapture(ImageFormat format)
{
    return StreamCapture::get().open(this, device_, getLocationId(), format == ImageFormatYuyv);
}

bool UvcDevice::streamActivate(ImageFormat format)
{
    return StreamCapture::get().activate(this, device_, getLocationId(), format == ImageFormatYuyv);
}

void UvcDevice::streamDeactivate()
{
    StreamCapture::get().stop(this);
}

void UvcDevice::deinitAvCapture()
{
    StreamCapture::get().close(this);
}

bool UvcDevice::streamIsOccupied()
{
    return StreamCapture::streamIsOccupied(device_.data(), getLocationId());
}

void UvcDevice::onStreamVideoData(const uint8_t* data, unsigned int length)
{
    if (!data || length > unsigned(INT_MAX)) {
        qWarning() << "Stream frame refused:" << length << "bytes";
        return;
    }
    emit streamVideoData(QByteArray(reinterpret_cast<const char*>(data), int(length)));
}

} // namespace pc
} // namespace vesk
