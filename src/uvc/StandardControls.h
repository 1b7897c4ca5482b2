#pragma once

#include "uvc/ControlPort.h"
#include "uvc/UvcCtrlSelector.h"

#include <QMutex>

#include <cstdint>

namespace vesk {
namespace pc {

// The standard UVC controls of the camera terminal and processing unit over
// a control port: the control table's operations, the getters, setters and
// range readers, and pan/tilt with its cached ranges. The camera object
// checks its guards before calling in.
class StandardControls
{
public:
    struct CameraParamRange
    {
        int64_t min = 0;
        int64_t max = 0;
        int64_t step = 0;
        int64_t def = 0;
    };

    // Pan/tilt ranges, cached on first use (0 means not read yet).
    struct PanTiltRanges
    {
        int64_t panMin = 0, panMax = 0, tiltMin = 0, tiltMax = 0;                  // absolute, raw
        int64_t panSpeedMin = 0, panSpeedMax = 0, tiltSpeedMin = 0, tiltSpeedMax = 0; // relative
    };

    explicit StandardControls(ControlPort& control);

    // The control table.
    bool controlIsAvailable(UvcCtrlSelectorType type) const;
    bool capabilitiesForControl(uint8_t* capabilities, UvcCtrlSelectorType type);
    bool getLowHighValueStepSizeDefaultValueForControl(UvcUTCtrlRequest* min, UvcUTCtrlRequest* max,
                                                       UvcUTCtrlRequest* res, UvcUTCtrlRequest* def,
                                                       UvcCtrlSelectorType type);
    bool getValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type);
    bool setValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type);

    // Results 0 or -1; getters write their outputs only when every read has
    // succeeded, range readers only when all four values came back.
    int uvcFocusGet(bool& autoFocus, int& value);
    int uvcExposureGet(bool& autoExposure, int& value);
    int uvcBacklightCompensationControlGet(bool& autoOn, int& value);
    int uvcGainControlGet(bool& autoOn, int& value);
    int uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value);
    int uvcBrightnessControlGet(int& value);
    int uvcContrastControlGet(bool& autoOn, int& value);
    int uvcSaturationControlGet(int& value);
    int uvcSharpnessControlGet(int& value);
    int uvcHueControlGet(bool& autoOn, int& value);
    int uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt);

    int uvcFocusSet(bool autoFocus, int value);
    int uvcExposureSet(bool autoExposure, int value);
    int uvcBacklightCompensationControlSet(int value);
    int uvcGainControlSet(int value);
    int uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value);
    int uvcContrastControlSet(int value);
    int uvcSaturationControlSet(int value);
    int uvcSharpnessControlSet(int value);
    int uvcHueControlSet(int value);

    int uvcFocusRangeAbsGet(CameraParamRange& range);
    int uvcExposureRangeAbsGet(CameraParamRange& range);
    int uvcBacklightCompensationControlRangeGet(CameraParamRange& range);
    int uvcGainControlRangeGet(CameraParamRange& range);
    int uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range);
    int uvcContrastControlRangeGet(CameraParamRange& range);
    int uvcSaturationControlRangeGet(CameraParamRange& range);
    int uvcSharpnessControlRangeGet(CameraParamRange& range);
    int uvcHueControlRangeGet(CameraParamRange& range);

    bool uvcPanTiltRangeAbsGet();
    bool uvcPanTiltRangeRelGet();
    PanTiltRanges panTiltRanges() const;
    // Absolute move: clamped to the cached range, scaled by 3600 in 64 bits.
    int uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt);
    // Relative move, each axis -1.0 .. 1.0 of the camera's top speed.
    int uvcPanTiltRelativeControl(double pan, double tilt);

private:
    bool validControl(UvcCtrlSelectorType type) const;

    ControlPort& control_;
    mutable QMutex panTiltMutex_;
    PanTiltRanges panTilt_;
};

} // namespace pc
} // namespace vesk
