#pragma once

#include "platform/CameraHandle.h"
#include "platform/CaptureSession.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSharedPointer>
#include <QString>

#include <cstdint>
#include <memory>

namespace vesk {
namespace pc {

class UvcDevice;

// The process's one capture: the session of one camera, the camera object
// its frames go to, and the cutting of each frame to its header and
// payload. Opening a capture closes the one before it. Stopping and
// closing act only for the camera that owns the capture, and closing
// returns only when no frame can reach that camera any more.
class StreamCapture
{
public:
    static StreamCapture& get();
    ~StreamCapture();

    // False only when the camera has no capture. A camera without the
    // format, or whose stream cannot be opened, still owns the capture,
    // which then delivers nothing.
    bool open(UvcDevice* receiver, QSharedPointer<CameraHandle> handle, const QString& uid,
              bool yuyv);
    bool isOwner(const UvcDevice* camera) const;
    // True when the stream runs or the capture has no format by design;
    // false when it belongs to another camera, did not open or will not start.
    bool start(const UvcDevice* camera);
    void stop(const UvcDevice* camera);
    void close(const UvcDevice* camera);

    // Bit 0 motion JPEG 1280x720, bit 1 YUYV 640x360, each at 30 fps.
    static uint32_t formatMask(const QList<CaptureSession::Format>& offered);
    // The bytes of a frame to hand on, 12 + the payload length at bytes
    // 8-11; -1 for a frame to drop (12 bytes or less, or shorter than that).
    static int64_t frameSpan(const QByteArray& frame);

private:
    class Route;

    StreamCapture() = default;
    void closeLocked();

    mutable QMutex mutex_;
    const UvcDevice* owner_ = nullptr;
    QSharedPointer<CameraHandle> handle_;  // keeps the session alive
    CaptureSession* session_ = nullptr;    // null: no usable format, nothing arrives
    bool openFailed_ = false;
    std::shared_ptr<Route> route_;
};

} // namespace pc
} // namespace vesk
