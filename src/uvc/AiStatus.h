#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's short AI status, laid out as the camera's records are.
#pragma pack(push, 1)
struct AiStatus
{
    uint8_t state = 0;                 // reply data byte 30
    uint8_t mode = 0;                  // reply data byte 31
    uint8_t trackingMode = 0;          // 0 normal, 1 headroom, 2 motion
    uint8_t portraitTrackingMode = 0;  // 0 normal, otherwise motion
    uint8_t portraitRaw = 0;           // reply data byte 37 as received
    float value = 0.0f;                // reply data bytes 33-36
};
#pragma pack(pop)

static_assert(sizeof(AiStatus) == 9, "AiStatus is a packed record");

} // namespace pc
} // namespace vesk
