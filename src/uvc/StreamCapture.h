#pragma once

#include "platform/CameraHandle.h"
#include "platform/CaptureSession.h"
#include "uvc/StreamReceiver.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSharedPointer>
#include <QString>

#include <cstdint>
#include <memory>

namespace vesk {
namespace pc {

// The process's one capture: the session of one camera, the receiver its
// frames go to, and the cutting of each frame to its header and payload.
// Opening a capture closes the one before it. Stopping and closing act
// only for the receiver that owns the capture, and closing returns only
// when no frame can reach that receiver any more. A camera is named in the
// log by its capture uid.
class StreamCapture
{
public:
    static StreamCapture& get();
    ~StreamCapture();

    // False only when the camera has no capture. A receiver whose camera
    // lacks the format, or whose stream cannot be opened, still owns the
    // capture, which then delivers nothing.
    bool open(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle, const QString& uid,
              bool yuyv);
    // Starts the receiver's capture; one whose capture another receiver has
    // taken over since opens a new one, like one that never had one.
    bool activate(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle,
                  const QString& uid, bool yuyv);
    bool isOwner(const StreamReceiver* receiver) const;
    // True when the stream runs or the capture has no format by design;
    // false when it belongs to another receiver, did not open or will not start.
    bool start(const StreamReceiver* receiver);
    void stop(const StreamReceiver* receiver);
    void close(const StreamReceiver* receiver);

    // A camera's formats as formatMask() gives them; 0 when it has no capture.
    static uint32_t captureFormats(CameraHandle* handle, const QString& uid);
    // True when another program holds the stream, or the camera has no capture.
    static bool streamIsOccupied(CameraHandle* handle, const QString& uid);

    // Bit 0 motion JPEG 1280x720, bit 1 YUYV 640x360, each at 30 fps.
    static uint32_t formatMask(const QList<CaptureSession::Format>& offered);
    // The bytes of a frame to hand on, 12 + the payload length at bytes
    // 8-11; -1 for a frame to drop (12 bytes or less, or shorter than that).
    static int64_t frameSpan(const QByteArray& frame);

private:
    class Route;

    StreamCapture() = default;
    bool openLocked(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle, const QString& uid,
                    bool yuyv);
    bool startLocked(const StreamReceiver* receiver);
    void closeLocked();
    // The camera's session, null (and logged, with operation when given) when it has none.
    static CaptureSession* sessionOf(CameraHandle* handle, const QString& uid,
                                     const char* operation);

    mutable QMutex mutex_;
    const StreamReceiver* owner_ = nullptr;
    QSharedPointer<CameraHandle> handle_;  // keeps the session alive
    CaptureSession* session_ = nullptr;    // null: no usable format, nothing arrives
    bool openFailed_ = false;
    std::shared_ptr<Route> route_;
};

} // namespace pc
} // namespace vesk
