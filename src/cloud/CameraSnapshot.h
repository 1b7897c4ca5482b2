#pragma once

#include "comm/GlobalParams.h"
#include "uvc/AiStatus.h"
#include "uvc/CameraStatus.h"
#include "uvc/UvcPreSetPosInfo.h"

#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// What the state and action reports need of one camera, read once on a pool
// thread (CameraSnapshotReader) so that the reports are plain functions of
// it. Every value starts initialised: a read that fails leaves it so.
struct CameraSnapshot
{
    struct ImageControls
    {
        bool whiteBalanceAuto = false;
        int whiteBalanceKelvin = 0;
        int brightness = 0;
        bool contrastAuto = false;
        int contrast = 0;
        int saturation = 0;
        int sharpness = 0;
        bool hueAuto = false;
        int hue = 0;
    };

    // Identity, as sent to the cloud.
    QString sn;
    QString platform;
    QString version;
    int productType = 5;  // none known
    bool is4K = false;
    int devMode = 0;      // UvcDevice::DevMode

    CameraStatus status;  // a copy of the last status block the camera sent
    int zoomPercent = 0;  // the status block's raw zoom as 0 to 100 of the range

    // Absolute pan and tilt (arc-seconds).
    bool positionRead = false;
    int32_t pan = 0;
    int32_t tilt = 0;

    // Extended state.
    ImageControls image;
    AiStatus ai;
    uint8_t autoFocus = 0;  // the focus-auto control, read with the focus ratio
    bool faceFocus = false;
    float bootPos[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool presetsRead = false;  // all three presets came back
    UvcPreSetPosInfo presets[3];
    GlobalParams::PrePosParam storedPresets[3];
};

} // namespace pc
} // namespace vesk
