#include "cloud/CameraSnapshotReader.h"

#include "uvc/UvcDevice.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

bool isUvcMode(const CameraSnapshot& snapshot)
{
    return snapshot.devMode == UvcDevice::DevModeUvc;
}

} // namespace

CameraSnapshotReader::CameraSnapshotReader(std::function<bool()> stopRequested)
    : stopRequested_(std::move(stopRequested))
{
}

bool CameraSnapshotReader::stopped() const
{
    return stopRequested_ && stopRequested_();
}

void CameraSnapshotReader::readBasics(UvcDevice& device, CameraSnapshot* snapshot)
{
    const QJsonObject identity = device.getDevInfoForServer();
    snapshot->sn = identity.value(QLatin1String("sn")).toString();
    snapshot->platform = identity.value(QLatin1String("platform")).toString();
    snapshot->version = identity.value(QLatin1String("version")).toString();
    snapshot->productType = device.getProductType();
    snapshot->is4K = device.is4K();
    snapshot->devMode = device.devMode();
    snapshot->status = device.cachedStatus();
}

void CameraSnapshotReader::readPosition(UvcDevice& device, CameraSnapshot* snapshot)
{
    int32_t pan = 0;
    int32_t tilt = 0;
    snapshot->positionRead = device.uvcPanTiltAbsoluteControlGet(pan, tilt) == 0;
    snapshot->pan = snapshot->positionRead ? pan : 0;
    snapshot->tilt = snapshot->positionRead ? tilt : 0;
    if (!snapshot->positionRead)
        qDebug() << "Camera position not read for the report of" << snapshot->sn;
}

bool CameraSnapshotReader::readMain(UvcDevice& device, CameraSnapshot* snapshot) const
{
    readBasics(device, snapshot);
    if (!isUvcMode(*snapshot) || stopped())
        return !stopped();
    const int type = snapshot->productType;
    snapshot->zoomPercent = device.normalizedZoom(snapshot->status.zoomPosition(type));
    const CameraStatus::Family family = CameraStatus::familyOf(type);
    // An Orla in auto framing reports no crop position.
    const bool wantsPosition = family == CameraStatus::Family::Zuki
                               || (family == CameraStatus::Family::Orla
                                   && snapshot->status.mediaMode(type) != CameraStatus::MediaAutoFraming);
    if (wantsPosition && !stopped())
        readPosition(device, snapshot);
    return !stopped();
}

bool CameraSnapshotReader::readExt(UvcDevice& device, CameraSnapshot* snapshot) const
{
    readBasics(device, snapshot);
    if (!isUvcMode(*snapshot) || CameraStatus::familyOf(snapshot->productType) == CameraStatus::Family::None)
        return !stopped();
    if (!readImageControls(device, snapshot))
        return false;
    if (CameraStatus::familyOf(snapshot->productType) == CameraStatus::Family::Zuki)
        return readZukiExtras(device, snapshot);
    return !stopped();
}

bool CameraSnapshotReader::readImageControls(UvcDevice& device, CameraSnapshot* snapshot) const
{
    CameraSnapshot::ImageControls& image = snapshot->image;
    // Each read writes its outputs only on success; the others stay initialised.
    const std::function<void()> reads[] = {
        [&] { device.uvcWhiteBalanceTemperatureControlGet(image.whiteBalanceAuto, image.whiteBalanceKelvin); },
        [&] { device.uvcBrightnessControlGet(image.brightness); },
        [&] { device.uvcContrastControlGet(image.contrastAuto, image.contrast); },
        [&] { device.uvcSaturationControlGet(image.saturation); },
        [&] { device.uvcSharpnessControlGet(image.sharpness); },
        [&] { device.uvcHueControlGet(image.hueAuto, image.hue); },
    };
    for (const auto& read : reads) {
        if (stopped())
            return false;
        read();
    }
    return true;
}

bool CameraSnapshotReader::readZukiExtras(UvcDevice& device, CameraSnapshot* snapshot) const
{
    if (stopped())
        return false;
    device.aiGetAiStatus(&snapshot->ai);
    if (snapshot->is4K) {
        if (stopped())
            return false;
        device.cameraGetFocusRatio(&snapshot->autoFocus);
        // Face focus counts only with auto focus; -1 (refused) is not "on".
        if (snapshot->autoFocus != 0 && !stopped())
            snapshot->faceFocus = device.cameraGetFaceFocus() > 0;
    }
    if (stopped())
        return false;
    float* pos = snapshot->bootPos;
    device.aiGetGimbalBootPos(pos[0], pos[1], pos[2], pos[3]);
    return readPresets(device, snapshot);
}

bool CameraSnapshotReader::readPresets(UvcDevice& device, CameraSnapshot* snapshot) const
{
    for (int i = 0; i < 3; ++i)
        snapshot->storedPresets[i] = GlobalParams::get().getPreposParam(snapshot->sn, i);
    snapshot->presetsRead = true;
    for (int i = 0; i < 3 && snapshot->presetsRead; ++i) {
        if (stopped())
            return false;
        snapshot->presetsRead = device.presetPositionGet(uint8_t(i), &snapshot->presets[i]) == 0;
    }
    return !stopped();
}

} // namespace pc
} // namespace vesk
