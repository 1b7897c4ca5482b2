#include "uvc/StreamCapture.h"

#include "uvc/UvcDevice.h"

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
    explicit Route(UvcDevice* receiver) : receiver_(receiver) {}

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
    UvcDevice* receiver_;
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

bool StreamCapture::open(UvcDevice* receiver, QSharedPointer<CameraHandle> handle,
                         const QString& uid, bool yuyv)
{
    QMutexLocker lock(&mutex_);
    closeLocked();
    qDebug("Capture device uid: %s", qPrintable(uid));
    CaptureSession* session = handle ? handle->capture() : nullptr;
    if (!session) {
        qCritical("No capture device with uid %s", qPrintable(uid));
        return false;
    }
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

bool StreamCapture::isOwner(const UvcDevice* camera) const
{
    QMutexLocker lock(&mutex_);
    return camera && owner_ == camera;
}

bool StreamCapture::start(const UvcDevice* camera)
{
    QMutexLocker lock(&mutex_);
    if (!camera || owner_ != camera) {
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

void StreamCapture::stop(const UvcDevice* camera)
{
    QMutexLocker lock(&mutex_);
    if (camera && owner_ == camera && session_)
        session_->stop();
}

void StreamCapture::close(const UvcDevice* camera)
{
    QMutexLocker lock(&mutex_);
    if (camera && owner_ == camera)
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
