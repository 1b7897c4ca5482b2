// The standard UVC controls, run by the camera's StandardControls part
// behind the guards of direct transfers.

#include "uvc/UvcDevice.h"

#include "uvc/UvcCommand.h"

namespace vesk {
namespace pc {

namespace {

// Every method here is a direct transfer.
bool allowed(const UvcDevice& device)
{
    return UvcCommand::allowed(device, kTransferGuards, UvcCommand::MainSystem);
}

} // namespace

bool UvcDevice::controlIsAvailable(UvcCtrlSelectorType type) const
{
    return controls_.controlIsAvailable(type);
}

bool UvcDevice::capabilitiesForControl(uint8_t* capabilities, UvcCtrlSelectorType type)
{
    return controls_.capabilitiesForControl(capabilities, type);
}

bool UvcDevice::getLowHighValueStepSizeDefaultValueForControl(UvcUTCtrlRequest* min,
                                                              UvcUTCtrlRequest* max,
                                                              UvcUTCtrlRequest* res,
                                                              UvcUTCtrlRequest* def,
                                                              UvcCtrlSelectorType type)
{
    return controls_.getLowHighValueStepSizeDefaultValueForControl(min, max, res, def, type);
}

bool UvcDevice::getValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
{
    return controls_.getValueForControl(value, type);
}

bool UvcDevice::setValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
{
    return controls_.setValueForControl(value, type);
}

int UvcDevice::uvcFocusGet(bool& autoFocus, int& value)
{
    return allowed(*this) ? controls_.uvcFocusGet(autoFocus, value) : -1;
}

int UvcDevice::uvcExposureGet(bool& autoExposure, int& value)
{
    return allowed(*this) ? controls_.uvcExposureGet(autoExposure, value) : -1;
}

int UvcDevice::uvcBacklightCompensationControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? controls_.uvcBacklightCompensationControlGet(autoOn, value) : -1;
}

int UvcDevice::uvcGainControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? controls_.uvcGainControlGet(autoOn, value) : -1;
}

int UvcDevice::uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value)
{
    return allowed(*this) ? controls_.uvcWhiteBalanceTemperatureControlGet(autoWb, value) : -1;
}

int UvcDevice::uvcBrightnessControlGet(int& value)
{
    return allowed(*this) ? controls_.uvcBrightnessControlGet(value) : -1;
}

int UvcDevice::uvcContrastControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? controls_.uvcContrastControlGet(autoOn, value) : -1;
}

int UvcDevice::uvcSaturationControlGet(int& value)
{
    return allowed(*this) ? controls_.uvcSaturationControlGet(value) : -1;
}

int UvcDevice::uvcSharpnessControlGet(int& value)
{
    return allowed(*this) ? controls_.uvcSharpnessControlGet(value) : -1;
}

int UvcDevice::uvcHueControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? controls_.uvcHueControlGet(autoOn, value) : -1;
}

int UvcDevice::uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt)
{
    return allowed(*this) ? controls_.uvcPanTiltAbsoluteControlGet(pan, tilt) : -1;
}

int UvcDevice::uvcFocusSet(bool autoFocus, int value)
{
    return allowed(*this) ? controls_.uvcFocusSet(autoFocus, value) : -1;
}

int UvcDevice::uvcExposureSet(bool autoExposure, int value)
{
    return allowed(*this) ? controls_.uvcExposureSet(autoExposure, value) : -1;
}

int UvcDevice::uvcBacklightCompensationControlSet(bool, int value)
{
    return allowed(*this) ? controls_.uvcBacklightCompensationControlSet(value) : -1;
}

int UvcDevice::uvcGainControlSet(bool, int value)
{
    return allowed(*this) ? controls_.uvcGainControlSet(value) : -1;
}

int UvcDevice::uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value)
{
    return allowed(*this) ? controls_.uvcWhiteBalanceTemperatureControlSet(autoWb, value) : -1;
}

int UvcDevice::uvcContrastControlSet(int value)
{
    // Only the value: the contrast auto control is read, never written.
    return allowed(*this) ? controls_.uvcContrastControlSet(value) : -1;
}

int UvcDevice::uvcSaturationControlSet(int value)
{
    return allowed(*this) ? controls_.uvcSaturationControlSet(value) : -1;
}

int UvcDevice::uvcSharpnessControlSet(int value)
{
    return allowed(*this) ? controls_.uvcSharpnessControlSet(value) : -1;
}

int UvcDevice::uvcHueControlSet(int value)
{
    return allowed(*this) ? controls_.uvcHueControlSet(value) : -1;
}

int UvcDevice::uvcFocusRangeAbsGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcFocusRangeAbsGet(range) : -1;
}

int UvcDevice::uvcExposureRangeAbsGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcExposureRangeAbsGet(range) : -1;
}

int UvcDevice::uvcBacklightCompensationControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcBacklightCompensationControlRangeGet(range) : -1;
}

int UvcDevice::uvcGainControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcGainControlRangeGet(range) : -1;
}

int UvcDevice::uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcWhiteBalanceColorTemperatureControlRangeGet(range) : -1;
}

int UvcDevice::uvcContrastControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcContrastControlRangeGet(range) : -1;
}

int UvcDevice::uvcSaturationControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcSaturationControlRangeGet(range) : -1;
}

int UvcDevice::uvcSharpnessControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcSharpnessControlRangeGet(range) : -1;
}

int UvcDevice::uvcHueControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? controls_.uvcHueControlRangeGet(range) : -1;
}

UvcDevice::PanTiltRanges UvcDevice::panTiltRanges() const
{
    return controls_.panTiltRanges();
}

bool UvcDevice::uvcPanTiltRangeAbsGet()
{
    return allowed(*this) && controls_.uvcPanTiltRangeAbsGet();
}

bool UvcDevice::uvcPanTiltRangeRelGet()
{
    return allowed(*this) && controls_.uvcPanTiltRangeRelGet();
}

int UvcDevice::uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt)
{
    return allowed(*this) ? controls_.uvcPanTiltAbsoluteControl(pan, tilt) : -1;
}

int UvcDevice::uvcPanTiltRelativeControl(double pan, double tilt)
{
    return allowed(*this) ? controls_.uvcPanTiltRelativeControl(pan, tilt) : -1;
}

} // namespace pc
} // namespace vesk
