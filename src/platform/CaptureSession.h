#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

namespace vesk {
namespace pc {

// Video capture from one camera. Frames arrive on a backend thread.
class CaptureSession
{
public:
    enum class PixelFormat { Mjpeg, Yuyv };
    struct Format
    {
        PixelFormat pixelFormat = PixelFormat::Mjpeg;
        int width = 0;
        int height = 0;
        int fps = 0;
    };
    using FrameCallback = std::function<void(const QByteArray& frame, const Format& format)>;

    virtual ~CaptureSession() = default;

    // The two formats a camera sends files in: motion JPEG 1280x720 and
    // YUYV 640x360, both at 30 fps.
    static QList<Format> streamFormats()
    {
        return {{PixelFormat::Mjpeg, 1280, 720, 30}, {PixelFormat::Yuyv, 640, 360, 30}};
    }
    static bool sameFormat(const Format& a, const Format& b)
    {
        return a.pixelFormat == b.pixelFormat && a.width == b.width && a.height == b.height
               && a.fps == b.fps;
    }

    virtual QList<Format> supportedFormats() const = 0;
    virtual bool isHeldByOtherProgram() const = 0;
    virtual bool open(const Format& format, FrameCallback callback) = 0;
    virtual bool start() = 0;
    virtual void stop() = 0;
    // Returns only when no frame callback can run any more.
    virtual void close() = 0;
};

} // namespace pc
} // namespace vesk
