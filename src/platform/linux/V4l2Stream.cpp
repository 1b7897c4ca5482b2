#include "platform/linux/V4l2Stream.h"

#include <QDebug>

#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

constexpr uint32_t kBufferCount = 4;
constexpr int kPollMs = 1000;  // a quiet camera still lets the reader look at its stop flag

v4l2_buffer mmapBuffer(uint32_t index)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    return buffer;
}

} // namespace

uint32_t V4l2Stream::fourccOf(CaptureSession::PixelFormat format)
{
    return format == CaptureSession::PixelFormat::Yuyv ? V4L2_PIX_FMT_YUYV : V4L2_PIX_FMT_MJPEG;
}

V4l2Stream::~V4l2Stream()
{
    streamOff();
    unmapBuffers();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

V4l2Stream::Result V4l2Stream::configure(const QString& nodePath,
                                         const CaptureSession::Format& format)
{
    if (!node_.open(nodePath))
        return Result::Failed;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        qWarning() << "eventfd failed:" << strerror(errno);
        return Result::Failed;
    }
    const Result result = setFormat(format);
    if (result != Result::Ok)
        return result;
    return mapBuffers();
}

V4l2Stream::Result V4l2Stream::setFormat(const CaptureSession::Format& format)
{
    v4l2_format wanted{};
    wanted.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    wanted.fmt.pix.width = uint32_t(format.width);
    wanted.fmt.pix.height = uint32_t(format.height);
    wanted.fmt.pix.pixelformat = fourccOf(format.pixelFormat);
    wanted.fmt.pix.field = V4L2_FIELD_ANY;
    if (node_.call(VIDIOC_S_FMT, &wanted) < 0) {
        const int error = errno;
        qWarning() << "VIDIOC_S_FMT refused on" << node_.path() << "-" << strerror(error);
        return error == EBUSY ? Result::Busy : Result::Failed;
    }
    if (wanted.fmt.pix.pixelformat != fourccOf(format.pixelFormat)
        || int(wanted.fmt.pix.width) != format.width || int(wanted.fmt.pix.height) != format.height) {
        qWarning() << "The driver offers no" << format.width << "x" << format.height
                   << "in that pixel format on" << node_.path();
        return Result::Failed;
    }
    v4l2_streamparm rate{};
    rate.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    rate.parm.capture.timeperframe = {1, uint32_t(qMax(format.fps, 1))};
    if (node_.call(VIDIOC_S_PARM, &rate) < 0)
        qWarning() << "VIDIOC_S_PARM refused on" << node_.path() << "-" << strerror(errno);
    return Result::Ok;
}

V4l2Stream::Result V4l2Stream::mapBuffers()
{
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (node_.call(VIDIOC_REQBUFS, &request) < 0) {
        const int error = errno;
        qWarning() << "VIDIOC_REQBUFS refused on" << node_.path() << "-" << strerror(error);
        return error == EBUSY ? Result::Busy : Result::Failed;
    }
    if (request.count == 0) {
        qWarning() << "The driver gave no capture buffers on" << node_.path();
        return Result::Failed;
    }
    for (uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer = mmapBuffer(i);
        if (node_.call(VIDIOC_QUERYBUF, &buffer) < 0) {
            qWarning() << "VIDIOC_QUERYBUF refused:" << strerror(errno);
            return Result::Failed;
        }
        void* start = mmap(nullptr, buffer.length, PROT_READ, MAP_SHARED, node_.fd(),
                           buffer.m.offset);
        if (start == MAP_FAILED) {
            qWarning() << "mmap of capture buffer" << i << "failed:" << strerror(errno);
            return Result::Failed;
        }
        buffers_.append({start, buffer.length});
        if (node_.call(VIDIOC_QBUF, &buffer) < 0) {
            qWarning() << "VIDIOC_QBUF refused:" << strerror(errno);
            return Result::Failed;
        }
    }
    return Result::Ok;
}

void V4l2Stream::unmapBuffers()
{
    for (const Buffer& buffer : qAsConst(buffers_))
        munmap(buffer.start, buffer.length);
    buffers_.clear();
}

bool V4l2Stream::streamOn()
{
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (node_.call(VIDIOC_STREAMON, &type) < 0) {
        qWarning() << "VIDIOC_STREAMON refused on" << node_.path() << "-" << strerror(errno);
        return false;
    }
    streaming_ = true;
    return true;
}

void V4l2Stream::streamOff()
{
    if (!streaming_)
        return;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (node_.call(VIDIOC_STREAMOFF, &type) < 0)
        qWarning() << "VIDIOC_STREAMOFF refused on" << node_.path() << "-" << strerror(errno);
    streaming_ = false;
    // STREAMOFF dequeued everything; queue the buffers again for a restart.
    for (int i = 0; i < buffers_.size(); ++i) {
        v4l2_buffer buffer = mmapBuffer(uint32_t(i));
        node_.call(VIDIOC_QBUF, &buffer);
    }
}

FrameSource::Wait V4l2Stream::next(FrameView* frame)
{
    pollfd fds[2] = {{node_.fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, kPollMs);
    if (ready < 0)
        return errno == EINTR ? Wait::Idle : Wait::Gone;
    if (fds[1].revents & POLLIN) {
        uint64_t count = 0;
        if (::read(wakeFd_, &count, sizeof count) < 0)
            qDebug() << "Capture wake read:" << strerror(errno);
        return Wait::Idle;
    }
    if (ready == 0)
        return Wait::Idle;
    if (fds[0].revents & (POLLERR | POLLHUP))
        return Wait::Gone;  // the camera was pulled out
    v4l2_buffer buffer = mmapBuffer(0);
    if (node_.call(VIDIOC_DQBUF, &buffer) < 0)
        return errno == EAGAIN ? Wait::Idle : Wait::Gone;
    if (buffer.index >= uint32_t(buffers_.size()))
        return Wait::Gone;
    const Buffer& mapped = buffers_[int(buffer.index)];
    frame->data = static_cast<const uint8_t*>(mapped.start);
    frame->capacity = int64_t(mapped.length);
    frame->used = buffer.bytesused;
    frame->corrupt = buffer.flags & V4L2_BUF_FLAG_ERROR;
    frame->index = buffer.index;
    return Wait::Frame;
}

void V4l2Stream::release(const FrameView& frame)
{
    v4l2_buffer buffer = mmapBuffer(frame.index);
    if (node_.call(VIDIOC_QBUF, &buffer) < 0)
        qWarning() << "VIDIOC_QBUF refused:" << strerror(errno);
}

void V4l2Stream::wake()
{
    const uint64_t one = 1;
    if (::write(wakeFd_, &one, sizeof one) < 0)
        qDebug() << "Capture wake write:" << strerror(errno);
}

} // namespace pc
} // namespace vesk
