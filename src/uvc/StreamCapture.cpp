#include "uvc/StreamCapture.h"

#include <QDebug>
#include <QMutexLocker>
#include <QtEndian>

#include <atomic>

namespace vesk {
namespace pc {

namespace {

constexpr int kHeaderSize = 12;
constexpr int kLengthOffset = 8;
constexpr int kDropReportEvery = 100;  // later drops are counted, not each logged

} // namespace

// Where one capture's frames go. The backend thread hands each frame over
// under the route's lock, so detaching waits for a frame under way and no
// frame follows it.
class StreamCapture::Route
{
public:
    explicit Route(StreamReceiver* receiver) : receiver_(receiver) {}

    void deliver(const QByteArray& frame)
    {
        const int64_t span = frameSpan(frame);
        if (span < 0) {
            reportDrop(frame);
            return;
        }
        QMutexLocker lock(&mutex_);
        if (receiver_)
            receiver_->onStreamVideoData(reinterpret_cast<const uint8_t*>(frame.constData()),
                                         unsigned(span));
    }

    void detach()
    {
        QMutexLocker lock(&mutex_);
        receiver_ = nullptr;
    }

private:
    void reportDrop(const QByteArray& frame)
    {
        const int dropped = ++dropped_;
        const int64_t announced = frame.size() > kHeaderSize
            ? qFromLittleEndian<quint32>(frame.constData() + kLengthOffset)
            : -1;
        if (dropped == 1)
            qWarning() << "Stream frame dropped:" << frame.size() << "bytes, payload announced"
                       << announced;
        else if (dropped % kDropReportEvery == 0)
            qDebug() << dropped << "stream frames dropped so far";
    }

    QMutex mutex_;
    StreamReceiver* receiver_;
    std::atomic<int> dropped_{0};
};

StreamCapture& StreamCapture::get()
{
    static StreamCapture capture;
    return capture;
}

StreamCapture::~StreamCapture()
{
    QMutexLocker lock(&mutex_);
    closeLocked();
}

bool StreamCapture::open(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle,
                         const QString& uid, bool yuyv)
{
    QMutexLocker lock(&mutex_);
    return openLocked(receiver, std::move(handle), uid, yuyv);
}

bool StreamCapture::openLocked(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle,
                               const QString& uid, bool yuyv)
{
    closeLocked();
    CaptureSession* session = sessionOf(handle.data(), uid, nullptr);
    if (!session)
        return false;
    owner_ = receiver;
    handle_ = handle;
    route_ = std::make_shared<Route>(receiver);

    const CaptureSession::Format wanted = CaptureSession::streamFormats().at(yuyv ? 1 : 0);
    bool offered = false;
    for (const CaptureSession::Format& format : session->supportedFormats()) {
        qDebug() << "Capture format" << int(format.pixelFormat) << format.width << "x"
                 << format.height << "at" << format.fps << "fps";
        offered = offered || CaptureSession::sameFormat(format, wanted);
    }
    if (!offered) {
        qCritical() << "format is nullptr";
        qCritical() << "init_manual failed";
        return true;
    }
    std::shared_ptr<Route> route = route_;
    if (!session->open(wanted, [route](const QByteArray& frame, const CaptureSession::Format&) {
            route->deliver(frame);
        })) {
        qCritical() << "init_device_input failed";
        openFailed_ = true;
        return true;
    }
    session_ = session;
    return true;
}

bool StreamCapture::activate(StreamReceiver* receiver, QSharedPointer<CameraHandle> handle,
                             const QString& uid, bool yuyv)
{
    // One lock throughout: another camera's open cannot come between.
    QMutexLocker lock(&mutex_);
    if ((!receiver || owner_ != receiver) && !openLocked(receiver, std::move(handle), uid, yuyv))
        return false;
    return startLocked(receiver);
}

bool StreamCapture::isOwner(const StreamReceiver* receiver) const
{
    QMutexLocker lock(&mutex_);
    return receiver && owner_ == receiver;
}

bool StreamCapture::start(const StreamReceiver* receiver)
{
    QMutexLocker lock(&mutex_);
    return startLocked(receiver);
}

bool StreamCapture::startLocked(const StreamReceiver* receiver)
{
    if (!receiver || owner_ != receiver) {
        qWarning() << "Capture start refused: the capture belongs to another camera";
        return false;
    }
    if (openFailed_) {
        qCritical() << "Capture start failed: the stream did not open";
        return false;
    }
    if (session_ && !session_->start()) {
        qCritical() << "Capture start failed";
        return false;
    }
    return true;
}

void StreamCapture::stop(const StreamReceiver* receiver)
{
    QMutexLocker lock(&mutex_);
    if (receiver && owner_ == receiver && session_)
        session_->stop();
}

void StreamCapture::close(const StreamReceiver* receiver)
{
    QMutexLocker lock(&mutex_);
    if (receiver && owner_ == receiver)
        closeLocked();
}

void StreamCapture::closeLocked()
{
    if (route_)
        route_->detach();
    if (session_)
        session_->close();
    route_.reset();
    session_ = nullptr;
    handle_.reset();
    owner_ = nullptr;
    openFailed_ = false;
}

CaptureSession* StreamCapture::sessionOf(CameraHandle* handle, const QString& uid,
                                         const char* operation)
{
    qDebug("Capture device uid: %s", qPrintable(uid));
    CaptureSession* session = handle ? handle->capture() : nullptr;
    if (!session && operation)
        qCritical("%s: no capture device with uid %s", operation, qPrintable(uid));
    else if (!session)
        qCritical("No capture device with uid %s", qPrintable(uid));
    return session;
}

uint32_t StreamCapture::captureFormats(CameraHandle* handle, const QString& uid)
{
    CaptureSession* session = sessionOf(handle, uid, "captureFormats");
    return session ? formatMask(session->supportedFormats()) : 0;
}

bool StreamCapture::streamIsOccupied(CameraHandle* handle, const QString& uid)
{
    CaptureSession* session = sessionOf(handle, uid, "streamIsOccupied");
    if (!session)
        return true;
    if (session->isHeldByOtherProgram()) {
        qCritical() << "Capture is held by another program";
        return true;
    }
    qInfo() << "Capture is free";
    return false;
}

uint32_t StreamCapture::formatMask(const QList<CaptureSession::Format>& offered)
{
    const QList<CaptureSession::Format> wanted = CaptureSession::streamFormats();
    uint32_t mask = 0;
    for (int bit = 0; bit < wanted.size(); ++bit) {
        for (const CaptureSession::Format& format : offered) {
            if (CaptureSession::sameFormat(format, wanted[bit]))
                mask |= 1u << bit;
        }
    }
    return mask;
}

int64_t StreamCapture::frameSpan(const QByteArray& frame)
{
    if (frame.size() <= kHeaderSize)
        return -1;
    const int64_t span = kHeaderSize + int64_t(qFromLittleEndian<quint32>(frame.constData() + kLengthOffset));
    return span <= frame.size() ? span : -1;
}

} // namespace pc
} // namespace vesk
