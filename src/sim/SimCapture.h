#pragma once

#include "platform/CaptureSession.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <thread>

namespace vesk {
namespace pc {

class SimCamera;

// The capture of a simulated camera. While started, a thread of its own
// sends the camera's download stream, one frame per packet, and any raw
// frames a test queued; frames go out outside every lock.
class SimCapture : public CaptureSession
{
public:
    explicit SimCapture(SimCamera& camera) : camera_(camera) {}
    ~SimCapture() override { close(); }
    SimCapture(const SimCapture&) = delete;
    SimCapture& operator=(const SimCapture&) = delete;

    QList<Format> supportedFormats() const override;
    bool isHeldByOtherProgram() const override;
    bool open(const Format& format, FrameCallback callback) override;
    bool start() override;
    // Both return when the thread has ended: no callback runs after them.
    void stop() override;
    void close() override;

    // Test side.
    // Sent as it is, ahead of the stream's own frames, once started.
    void queueRawFrame(const QByteArray& frame);
    bool isOpen() const;
    bool isStarted() const;
    int opens() const { return opens_; }            // successful opens so far
    int framesSent() const { return framesSent_; }  // frames handed to callbacks

private:
    void stopLocked();
    void run(FrameCallback callback, Format format);
    QList<QByteArray> takeRawFrames();
    // Waits ms (or until woken); false once the thread is asked to stop.
    bool pause(int ms);

    SimCamera& camera_;
    mutable QMutex mutex_;  // open, start, stop and close one at a time; the thread never takes it
    bool open_ = false;
    Format format_;
    FrameCallback callback_;
    std::thread thread_;

    QMutex waitMutex_;  // the thread's waits, its stop flag and the raw frames
    QWaitCondition wake_;
    bool stopping_ = false;
    QList<QByteArray> raw_;

    std::atomic<int> opens_{0};
    std::atomic<int> framesSent_{0};
};

} // namespace pc
} // namespace vesk
