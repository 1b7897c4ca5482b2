#pragma once

namespace vesk {
namespace pc {

// Names a camera reports by index in its device information. Empty slots
// are null; the index checks keep them out of reach.
extern const char* const kProductType[8];
extern const char* const kFirmwareType[4];
extern const char* const kPlatformType[8];
extern const char* const kDeviceType[4];

// Highest valid index of each table.
constexpr int kProductTypeLast = 5;
constexpr int kFirmwareTypeLast = 1;
constexpr int kPlatformTypeLast = 6;
constexpr int kDeviceTypeLast = 2;

// Index into kPlatformType.
enum DevPlatformType {
    PlatformHi3559A = 0,
    PlatformHi3519A,
    PlatformHi3516DV300,
    PlatformHi3516CV500,
    PlatformSSC336Q,
    PlatformSSC339G,
    PlatformSSC359G,
};

} // namespace pc
} // namespace vesk
