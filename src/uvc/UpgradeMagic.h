#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// The text the upgrade service answers on selector 6, compared with its zero.
struct UpgradeMagic
{
    static constexpr const char* kUpgradeSystem = "010203.VK_upgrade";
    static constexpr const char* kUpgradeTool = "010203.VK";  // the tool of an old camera

    // Whether the 60-byte block starts with magic and its terminating zero.
    static bool matches(const uint8_t* block, const char* magic);
};

} // namespace pc
} // namespace vesk
