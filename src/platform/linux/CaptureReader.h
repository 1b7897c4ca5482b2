#pragma once

#include "platform/CaptureSession.h"
#include "platform/linux/FrameSource.h"

#include <atomic>
#include <thread>

namespace vesk {
namespace pc {

// The thread that takes filled buffers from a source and hands each one's
// bytes to the frame callback: exactly the bytes the driver filled, and
// nothing of a buffer that is damaged or claims more than it holds.
class CaptureReader
{
public:
    CaptureReader() = default;
    ~CaptureReader() { stop(); }
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    void start(FrameSource* source, const CaptureSession::Format& format,
               CaptureSession::FrameCallback callback);
    // Returns when the thread has ended; no callback runs after it.
    void stop();
    // False as soon as the thread has ended, also on its own when the source is gone.
    bool isRunning() const { return thread_.joinable() && !ended_; }

    int delivered() const { return delivered_; }
    int dropped() const { return dropped_; }

private:
    void run();
    void deliver(const FrameView& frame);

    FrameSource* source_ = nullptr;
    CaptureSession::Format format_;
    CaptureSession::FrameCallback callback_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> ended_{false};
    std::atomic<int> delivered_{0};
    std::atomic<int> dropped_{0};
};

} // namespace pc
} // namespace vesk
