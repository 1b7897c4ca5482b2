#pragma once

#include "platform/CaptureSession.h"
#include "platform/linux/FrameSource.h"
#include "platform/linux/V4l2Node.h"

#include <QVector>

namespace vesk {
namespace pc {

// V4L2 streaming with memory-mapped buffers on a node of its own.
class V4l2Stream : public FrameSource
{
public:
    enum class Result { Ok, Busy, Failed };

    V4l2Stream() = default;
    ~V4l2Stream() override;

    // Opens the node, sets the format and 30 fps, maps and queues the buffers.
    // Busy when another program holds the stream.
    Result configure(const QString& nodePath, const CaptureSession::Format& format);
    bool streamOn();
    void streamOff();

    static uint32_t fourccOf(CaptureSession::PixelFormat format);

    Wait next(FrameView* frame) override;
    void release(const FrameView& frame) override;
    void wake() override;

private:
    struct Buffer
    {
        void* start = nullptr;
        size_t length = 0;
    };

    Result setFormat(const CaptureSession::Format& format);
    Result mapBuffers();
    void unmapBuffers();

    V4l2Node node_;
    int wakeFd_ = -1;
    QVector<Buffer> buffers_;
    bool streaming_ = false;
};

} // namespace pc
} // namespace vesk
