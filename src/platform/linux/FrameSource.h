#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// A filled capture buffer as the source hands it out, until released.
struct FrameView
{
    const uint8_t* data = nullptr;
    int64_t capacity = 0;  // the buffer's size
    int64_t used = 0;      // what the driver says it filled
    bool corrupt = false;  // the driver flagged the buffer as damaged
    uint32_t index = 0;
};

// Where the capture reader takes its frames from: V4L2 streaming buffers in
// the program, memory in the tests.
class FrameSource
{
public:
    enum class Wait { Frame, Idle, Gone };

    virtual ~FrameSource() = default;
    // Blocks until a buffer is filled (Frame), wake() was called or a wait
    // passed without one (Idle), or the device is gone (Gone).
    virtual Wait next(FrameView* frame) = 0;
    virtual void release(const FrameView& frame) = 0;
    // Ends a pending next() promptly; safe from any thread.
    virtual void wake() = 0;
};

} // namespace pc
} // namespace vesk
