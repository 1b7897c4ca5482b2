#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// Class-specific request codes of the video-control interface.
enum class UvcRequest : uint8_t {
    SetCur = 0x01,
    GetCur = 0x81,
    GetMin = 0x82,
    GetMax = 0x83,
    GetRes = 0x84,
    GetInfo = 0x86,
    GetDef = 0x87,
};

// The unit a request is addressed to. The id alone is not enough: a backend
// that cannot issue raw requests maps standard controls by their kind.
enum class UvcUnitKind : uint8_t {
    CameraTerminal = 1,
    ProcessingUnit = 2,
    ExtensionUnit = 3,
};

} // namespace pc
} // namespace vesk
