#pragma once

#include "platform/CaptureSession.h"
#include "platform/linux/CaptureReader.h"
#include "platform/linux/V4l2Stream.h"

#include <QMutex>

#include <memory>

namespace vesk {
namespace pc {

// Capture from one camera's V4L2 capture node: the two formats the camera
// link uses, at 30 fps, through memory-mapped streaming buffers.
class V4l2Capture : public CaptureSession
{
public:
    explicit V4l2Capture(const QString& nodePath) : nodePath_(nodePath) {}
    ~V4l2Capture() override { close(); }

    QList<Format> supportedFormats() const override;
    bool isHeldByOtherProgram() const override;
    bool open(const Format& format, FrameCallback callback) override;
    bool start() override;
    void stop() override;
    void close() override;

    // The formats the camera link asks for.
    static QList<Format> wantedFormats();

private:
    QString nodePath_;
    mutable QMutex mutex_;
    std::unique_ptr<V4l2Stream> stream_;
    CaptureReader reader_;
    Format format_;
    FrameCallback callback_;
};

} // namespace pc
} // namespace vesk
