#include "platform/linux/CaptureReader.h"

#include <QByteArray>
#include <QDebug>

#include <climits>

namespace vesk {
namespace pc {

void CaptureReader::start(FrameSource* source, const CaptureSession::Format& format,
                          CaptureSession::FrameCallback callback)
{
    stop();
    source_ = source;
    format_ = format;
    callback_ = std::move(callback);
    stopping_ = false;
    ended_ = false;
    thread_ = std::thread([this] {
        run();
        ended_ = true;
    });
}

void CaptureReader::stop()
{
    if (!thread_.joinable())
        return;
    stopping_ = true;
    source_->wake();
    thread_.join();
}

void CaptureReader::run()
{
    while (!stopping_) {
        FrameView frame;
        const FrameSource::Wait wait = source_->next(&frame);
        if (wait == FrameSource::Wait::Gone) {
            qWarning() << "Capture source gone; reader stops";
            return;
        }
        if (wait == FrameSource::Wait::Frame) {
            deliver(frame);
            source_->release(frame);
        }
    }
}

void CaptureReader::deliver(const FrameView& frame)
{
    const bool fits = frame.data && frame.used > 0 && frame.used <= frame.capacity
                      && frame.used <= INT_MAX;
    if (frame.corrupt || !fits) {
        ++dropped_;
        return;
    }
    if (stopping_)
        return;
    ++delivered_;
    if (callback_)
        callback_(QByteArray(reinterpret_cast<const char*>(frame.data), int(frame.used)), format_);
}

} // namespace pc
} // namespace vesk
