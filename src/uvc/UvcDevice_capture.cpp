// Stream capture: files come back from the camera inside video frames. The
// process's one capture and the cutting of frames live in StreamCapture.

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

CaptureSession* UvcDevice::captureSession(const char* operation) const
{
    const QString uid = getLocationId();
    qDebug("Capture device uid: %s", qPrintable(uid));
    CaptureSession* session = device_ ? device_->capture() : nullptr;
    if (!session)
        qCritical("%s: no capture device with uid %s", operation, qPrintable(uid));
    return session;
}

uint32_t UvcDevice::captureFormats()
{
    CaptureSession* session = captureSession("captureFormats");
    return session ? StreamCapture::formatMask(session->supportedFormats()) : 0;
}

bool UvcDevice::initAvCapture(ImageFormat format)
{
    return StreamCapture::get().open(this, device_, getLocationId(), format == ImageFormatYuyv);
}

// A camera whose capture another camera has taken over since opens a new
// one, like a camera that never had one.
bool UvcDevice::streamActivate(ImageFormat format)
{
    StreamCapture& capture = StreamCapture::get();
    if (!capture.isOwner(this) && !initAvCapture(format))
        return false;
    return capture.start(this);
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
    CaptureSession* session = captureSession("streamIsOccupied");
    if (!session)
        return true;
    if (session->isHeldByOtherProgram()) {
        qCritical() << "Capture is held by another program";
        return true;
    }
    qInfo() << "Capture is free";
    return false;
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
