#include "platform/linux/V4l2Capture.h"

#include "platform/linux/V4l2Node.h"

#include <QDebug>
#include <QMutexLocker>

#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

// Whether the node lists 30 fps for the format; discrete or a range of intervals.
bool offers(V4l2Node& node, const CaptureSession::Format& format, uint32_t fourcc)
{
    v4l2_frmivalenum interval{};
    interval.pixel_format = fourcc;
    interval.width = uint32_t(format.width);
    interval.height = uint32_t(format.height);
    for (interval.index = 0; node.call(VIDIOC_ENUM_FRAMEINTERVALS, &interval) == 0;
         ++interval.index) {
        if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            const v4l2_fract f = interval.discrete;
            if (uint64_t(f.numerator) * format.fps == f.denominator)
                return true;
            continue;
        }
        // min ≤ 1/fps ≤ max, in cross-multiplied integers.
        const v4l2_fract lo = interval.stepwise.min;
        const v4l2_fract hi = interval.stepwise.max;
        return uint64_t(lo.numerator) * format.fps <= lo.denominator
               && uint64_t(hi.numerator) * format.fps >= hi.denominator;
    }
    return false;
}

} // namespace

QList<CaptureSession::Format> V4l2Capture::wantedFormats()
{
    return streamFormats();
}

QList<CaptureSession::Format> V4l2Capture::supportedFormats() const
{
    V4l2Node node;
    if (!node.open(nodePath_))
        return {};
    QList<Format> found;
    for (const Format& format : wantedFormats()) {
        if (offers(node, format, V4l2Stream::fourccOf(format.pixelFormat)))
            found << format;
    }
    return found;
}

// The driver lets one file handle own the buffers; another program's capture
// makes a buffer request fail with EBUSY. An absent camera counts as held.
bool V4l2Capture::isHeldByOtherProgram() const
{
    {
        QMutexLocker lock(&mutex_);
        if (stream_)
            return false;  // held by us
    }
    V4l2Node node;
    if (!node.open(nodePath_))
        return true;
    v4l2_requestbuffers request{};
    request.count = 1;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (node.call(VIDIOC_REQBUFS, &request) < 0) {
        const int error = errno;
        qInfo() << "Capture on" << nodePath_ << "is held by another program:" << strerror(error);
        return true;
    }
    request.count = 0;
    node.call(VIDIOC_REQBUFS, &request);
    return false;
}

bool V4l2Capture::open(const Format& format, FrameCallback callback)
{
    close();
    auto stream = std::make_unique<V4l2Stream>();
    const V4l2Stream::Result result = stream->configure(nodePath_, format);
    if (result != V4l2Stream::Result::Ok) {
        if (result == V4l2Stream::Result::Busy)
            qWarning() << "Capture on" << nodePath_ << "is held by another program";
        return false;
    }
    QMutexLocker lock(&mutex_);
    reader_.stop();  // a concurrent open may have started one on the stream replaced here
    stream_ = std::move(stream);
    format_ = format;
    callback_ = std::move(callback);
    return true;
}

bool V4l2Capture::start()
{
    QMutexLocker lock(&mutex_);
    if (!stream_)
        return false;
    if (reader_.isRunning())
        return true;
    if (!stream_->streamOn())
        return false;
    reader_.start(stream_.get(), format_, callback_);
    return true;
}

void V4l2Capture::stop()
{
    QMutexLocker lock(&mutex_);
    reader_.stop();
    if (stream_)
        stream_->streamOff();
}

void V4l2Capture::close()
{
    QMutexLocker lock(&mutex_);
    reader_.stop();
    stream_.reset();
    callback_ = nullptr;
}

} // namespace pc
} // namespace vesk
