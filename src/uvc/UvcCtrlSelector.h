#pragma once

#include "platform/UvcRequest.h"

#include <cstdint>

namespace vesk {
namespace pc {

// Index into the table of standard UVC controls: 0 to 19 camera terminal,
// 20 to 38 processing unit. The order is this program's own.
enum UvcCtrlSelectorType {
    CtScanningMode = 0,
    CtAeMode,
    CtAePriority,
    CtExposureTimeAbsolute,
    CtExposureTimeRelative,
    CtFocusAbsolute,
    CtFocusRelative,
    CtFocusSimpleRange,
    CtFocusAuto,
    CtIrisAbsolute,
    CtIrisRelative,
    CtZoomAbsolute,
    CtZoomRelative,
    CtPanTiltAbsolute,
    CtPanTiltRelative,
    CtRollAbsolute,
    CtRollRelative,
    CtPrivacy,
    CtWindow,
    CtRegionOfInterest,
    PuBacklightCompensation,
    PuBrightness,
    PuContrast,
    PuContrastAuto,
    PuGain,
    PuPowerLineFrequency,
    PuHue,
    PuHueAuto,
    PuSaturation,
    PuSharpness,
    PuGamma,
    PuWhiteBalanceTemperature,
    PuWhiteBalanceTemperatureAuto,
    PuWhiteBalanceComponent,
    PuWhiteBalanceComponentAuto,
    PuDigitalMultiplier,
    PuDigitalMultiplierLimit,
    PuAnalogVideoStandard,
    PuAnalogLockStatus,
    UvcCtrlSelectorCount
};

// One row of the table: where the control lives and how long its value is.
struct UvcCtrlInfo
{
    UvcUnitKind unit;
    uint8_t selector;
    uint8_t length;
    uint8_t bmControlsBit;
};

extern const UvcCtrlInfo kUvcCtrlTable[UvcCtrlSelectorCount];

// The value buffer of one standard-control request; the longest control is 12 bytes.
struct UvcUTCtrlRequest
{
    uint8_t bytes[12] = {};
};

} // namespace pc
} // namespace vesk
