#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// What the stream capture hands its frames to: the camera object that owns
// the capture. Called on the capture's thread while the capture holds its
// route, so a receiver must not open, stop or close a capture from here.
// A receiver closes its capture in its own destructor, before any of it is
// gone: a base class's destructor would be too late for a frame under way.
class StreamReceiver
{
public:
    virtual ~StreamReceiver() = default;

    // A frame cut to its header and payload.
    virtual void onStreamVideoData(const uint8_t* data, unsigned int length) = 0;
};

} // namespace pc
} // namespace vesk
