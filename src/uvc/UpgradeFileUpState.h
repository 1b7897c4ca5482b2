#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's state of an upload (selector 1): how far it has taken the
// packets in order, and the length it was told at the start.
struct UpgradeFileUpState
{
    static constexpr uint8_t kReceiving = 1;
    static constexpr uint8_t kComplete = 2;

    uint8_t state = 0;      // 1 receiving, 2 complete; anything else is invalid
    uint32_t doneSeq = 0;   // highest packet sequence taken in order
    uint32_t fileLen = 0;

    // From the camera's 60-byte reply block.
    static UpgradeFileUpState fromBlock(const uint8_t* block);
};

} // namespace pc
} // namespace vesk
