#pragma once

namespace vesk {
namespace pc {

// Index into the camera's platform table; the firmware packages name the
// same platforms as text.
enum DevPlatformType {
    PlatformHi3559A = 0,
    PlatformHi3519A = 1,
    PlatformHi3516DV300 = 2,
    PlatformHi3516CV500 = 3,
    PlatformSSC336Q = 4,
    PlatformSSC339G = 5,
    PlatformSSC359G = 6,
};

} // namespace pc
} // namespace vesk
