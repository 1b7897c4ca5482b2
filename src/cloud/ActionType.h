#pragma once

namespace vesk {
namespace pc {

// The user and device actions reported to the cloud; 0 to 22 are main
// events, 23 to 55 extended ones. Their names and data rules are the table
// of ActionReport.cpp.
enum ActionType : int {
    ActionToSleep = 0,
    ActionToPrivacy = 1,
    ActionToWake = 2,
    ActionTrackingTapped = 3,
    ActionZooming = 4,
    ActionGimbalControl = 5,
    ActionGimbalReset = 6,
    ActionAddPresetPosition = 7,
    ActionUpdatePresetPosition = 8,
    ActionRenamePresetPosition = 9,
    ActionDeletePresetPosition = 10,
    ActionTriggerPresetPosition = 11,
    ActionSetViewMode = 12,
    ActionSetAutoFramingEnabled = 13,
    ActionSetAutoFramingMode = 14,
    ActionSetAutoFramingSize = 15,
    ActionSetCropArea = 16,
    ActionResetCropArea = 17,
    ActionSetBackgroundModeEnabled = 18,
    ActionSetBackgroundModeOption = 19,
    ActionSetBackgroundBlurLevel = 20,
    ActionSetBackgroundGreenScreenColor = 21,
    ActionSetBackgroundReplacementImageIndex = 22,
    ActionDividerLine = 23,
    ActionSetAutoSleep = 24,
    ActionSetGestureControlTargetLockEnabled = 25,
    ActionSetGestureControlZoomingEnabled = 26,
    ActionSetGestureZoomingRatio = 27,
    ActionGestureZoomingRatioSetUiOpened = 28,
    ActionSetTrackingMode = 29,
    ActionConfigureVideoOpened = 30,
    ActionConfigureVideoReset = 31,
    ActionSetAutoWhiteBalanceEnabled = 32,
    ActionSetBrightness = 33,
    ActionSetContrast = 34,
    ActionSetSaturation = 35,
    ActionSetSharpness = 36,
    ActionSetHue = 37,
    ActionSetAntiFlickerMode = 38,
    ActionSetFaceAeEnabled = 39,
    ActionSetInitBootPosition = 40,
    ActionSetNoiseCancellationEnabled = 41,
    ActionSetPresetPositionEnabled = 42,
    ActionSetHdrEnabled = 43,
    ActionSetToLandscapeMode = 44,
    ActionSetToPortraitMode = 45,
    ActionSetAutoFocusEnabled = 46,
    ActionSetManualFocusValue = 47,
    ActionSetFaceFocusEnabled = 48,
    ActionResetGimbalInit = 49,
    ActionResetGimbalZero = 50,
    ActionSetButtonWorkMode = 51,
    ActionSetButtonCustomizedDefaultState = 52,
    ActionSetButtonCustomizedClickOnce = 53,
    ActionSetButtonCustomizedClickTwice = 54,
    ActionButt = 55,
};

} // namespace pc
} // namespace vesk
