#pragma once

#include <cstdint>

struct v4l2_queryctrl;

namespace vesk {
namespace pc {

// The V4L2 control calls the standard-control bridge makes; a node's file
// descriptor in the program, a table in the tests. Each call logs its own
// failure.
class V4l2ControlIo
{
public:
    virtual ~V4l2ControlIo() = default;

    virtual bool query(uint32_t id, v4l2_queryctrl* control) = 0;
    virtual bool hasMenuItem(uint32_t id, uint32_t index) = 0;
    // Several controls at once, so that pan and tilt move together.
    virtual bool get(const uint32_t* ids, int32_t* values, int count) = 0;
    virtual bool set(const uint32_t* ids, const int32_t* values, int count) = 0;
};

} // namespace pc
} // namespace vesk
