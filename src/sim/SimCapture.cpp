#include "sim/SimCapture.h"

#include "sim/SimCamera.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

constexpr int kIdlePollMs = 2;  // how often an idle stream looks for work

} // namespace

QList<CaptureSession::Format> SimCapture::supportedFormats() const
{
    return camera_.captureFormats();
}

bool SimCapture::isHeldByOtherProgram() const
{
    return camera_.streamHeld(true);
}

bool SimCapture::open(const Format& format, FrameCallback callback)
{
    QMutexLocker lock(&mutex_);
    stopLocked();
    open_ = false;
    if (camera_.streamHeld(false)) {
        qWarning() << "Simulated capture is held by another program";
        return false;
    }
    bool offered = false;
    for (const Format& known : camera_.captureFormats())
        offered = offered || sameFormat(known, format);
    if (!offered) {
        qWarning() << "Simulated capture offers no" << format.width << "x" << format.height
                   << "at" << format.fps << "fps in that pixel format";
        return false;
    }
    open_ = true;
    format_ = format;
    callback_ = std::move(callback);
    ++opens_;
    return true;
}

bool SimCapture::start()
{
    QMutexLocker lock(&mutex_);
    if (!open_)
        return false;
    if (thread_.joinable())
        return true;
    {
        QMutexLocker waitLock(&waitMutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this, callback = callback_, format = format_] { run(callback, format); });
    return true;
}

void SimCapture::stop()
{
    QMutexLocker lock(&mutex_);
    stopLocked();
}

void SimCapture::close()
{
    QMutexLocker lock(&mutex_);
    stopLocked();
    open_ = false;
    callback_ = nullptr;
}

void SimCapture::stopLocked()
{
    if (!thread_.joinable())
        return;
    {
        QMutexLocker waitLock(&waitMutex_);
        stopping_ = true;
        wake_.wakeAll();
    }
    if (thread_.get_id() == std::this_thread::get_id()) {
        // A frame callback must never stop its own capture: it cannot be joined here.
        qCritical() << "Simulated capture stopped from its own frame callback";
        return;
    }
    thread_.join();
}

void SimCapture::queueRawFrame(const QByteArray& frame)
{
    QMutexLocker lock(&waitMutex_);
    raw_ << frame;
    wake_.wakeAll();
}

bool SimCapture::isOpen() const
{
    QMutexLocker lock(&mutex_);
    return open_;
}

bool SimCapture::isStarted() const
{
    QMutexLocker lock(&mutex_);
    return thread_.joinable();
}

QList<QByteArray> SimCapture::takeRawFrames()
{
    QMutexLocker lock(&waitMutex_);
    QList<QByteArray> frames;
    frames.swap(raw_);
    return frames;
}

bool SimCapture::pause(int ms)
{
    QMutexLocker lock(&waitMutex_);
    if (!stopping_ && ms > 0)
        wake_.wait(&waitMutex_, ulong(ms));
    return !stopping_;
}

void SimCapture::run(FrameCallback callback, Format format)
{
    while (pause(0)) {
        QList<QByteArray> frames = takeRawFrames();
        frames += camera_.takeStreamFrames(format.pixelFormat);  // under the camera's lock
        if (frames.isEmpty()) {
            pause(kIdlePollMs);
            continue;
        }
        for (const QByteArray& frame : qAsConst(frames)) {
            if (!pause(camera_.streamFaults().frameDelayMs))
                return;
            if (callback)
                callback(frame, format);  // outside every lock
            ++framesSent_;
        }
    }
}

} // namespace pc
} // namespace vesk
