#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// One gimbal preset as the camera stores it, byte for byte (little-endian).
// Only the first 10 + nameLen bytes are meaningful.
#pragma pack(push, 1)
struct UvcPreSetPosInfo
{
    static constexpr int kHeadSize = 10;    // the bytes before the name
    static constexpr int kMaxAddName = 49;  // longest name an add can carry
    static constexpr int kMaxGetName = 47;  // longest name a reply can carry
    static constexpr uint8_t kNotPresent = 255;

    uint8_t id = 0;
    int16_t position = 0;  // carried without interpretation
    int16_t tilt = 0;      // hundredths
    int16_t pan = 0;       // hundredths
    uint16_t zoom = 0;     // hundredths
    uint8_t nameLen = 0;
    char name[kMaxAddName] = {};
};
#pragma pack(pop)

static_assert(sizeof(UvcPreSetPosInfo) == 59, "UvcPreSetPosInfo is a packed record");

} // namespace pc
} // namespace vesk
