#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// A customised action of the camera's button: three bytes that go to the
// camera unchanged, in their order. Their meaning is the camera's.
struct ButtonAction
{
    uint8_t bytes[3] = {};
};

} // namespace pc
} // namespace vesk
