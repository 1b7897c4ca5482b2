#include "cloud/DeviceStateReport.h"

#include "uvc/UvcDevice.h"

namespace vesk {
namespace pc {

namespace {

using Field = CameraStatus::Field;

QString gText(double value)
{
    return QString::number(value, 'g', 6);
}

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

QString autoOr(bool isAuto, const QString& value)
{
    return isAuto ? QStringLiteral("AUTO") : value;
}

bool sendable(const CameraSnapshot& camera)
{
    return camera.devMode == UvcDevice::DevModeUvc;
}

int raw(const CameraSnapshot& camera, Field field)
{
    return camera.status.field(field, camera.productType);
}

// The pan and tilt texts; "0" when the position could not be read.
QString positionText(const CameraSnapshot& camera, int32_t value)
{
    return QString::number(camera.positionRead ? value : 0);
}

} // namespace

QString DeviceStateReport::runStateText(int runState)
{
    if (runState == CameraStatus::RunPrivacy)
        return QStringLiteral("PRIVACY");
    if (runState == CameraStatus::RunSleeping)
        return QStringLiteral("Sleep");  // mixed case, as the server knows it
    return QStringLiteral("NORMAL");
}

QString DeviceStateReport::autoSleepText(int seconds)
{
    return seconds > 0 ? QString::number(seconds) + QLatin1Char('s') : QStringLiteral("OFF");
}

QString DeviceStateReport::antiFlickerText(int mode)
{
    if (mode == 0)
        return QStringLiteral("OFF");
    return mode == 1 ? QStringLiteral("50Hz") : QStringLiteral("60Hz");
}

QJsonObject DeviceStateReport::identity(const CameraSnapshot& camera)
{
    return {{"sn", camera.sn}, {"platform", camera.platform}, {"version", camera.version}};
}

QString DeviceStateReport::zoomText(const CameraSnapshot& camera)
{
    const int span = camera.is4K ? 3 : 1;
    return gText(1.0 + double(camera.zoomPercent) * span / 100.0);
}

QJsonObject DeviceStateReport::zukiMainStateInfo(const CameraSnapshot& camera)
{
    if (!sendable(camera))
        return QJsonObject();
    QJsonObject json = identity(camera);
    json.insert("state", runStateText(raw(camera, Field::RunState)));
    json.insert("tracking", raw(camera, Field::AiTracking) ? QStringLiteral("YES") : QStringLiteral("NO"));
    json.insert("pos_z", zoomText(camera));
    json.insert("pos_p", positionText(camera, camera.pan));
    json.insert("pos_t", positionText(camera, camera.tilt));
    json.insert("auto_framing", QStringLiteral("OFF"));
    return json;
}

QJsonObject DeviceStateReport::orlaMainStateInfo(const CameraSnapshot& camera)
{
    if (!sendable(camera))
        return QJsonObject();
    const int media = raw(camera, Field::MediaMode);
    const int background = raw(camera, Field::BackgroundKind);
    const bool framing = media == CameraStatus::MediaAutoFraming;
    QJsonObject json = identity(camera);
    json.insert("state", runStateText(raw(camera, Field::RunState)));
    json.insert("background_enabled", media == CameraStatus::MediaVirtualBackground);
    json.insert("background_blur", background == CameraStatus::BgBlur
                                       ? QString::number(raw(camera, Field::BlurLevel))
                                       : QStringLiteral("OFF"));
    json.insert("background_green_color", background == CameraStatus::BgGreen  ? QStringLiteral("GREEN")
                                          : background == CameraStatus::BgBlue ? QStringLiteral("BLUE")
                                                                               : QStringLiteral("OFF"));
    json.insert("background_replacement_image_index", onOff(background == CameraStatus::BgReplace));
    json.insert("auto_framing", onOff(framing));
    json.insert("view", framing ? QStringLiteral("OFF") : QStringLiteral("1"));
    json.insert("zoom_ratio", zoomText(camera));
    json.insert("crop_cx", framing ? QStringLiteral("OFF") : positionText(camera, camera.pan));
    json.insert("crop_cy", framing ? QStringLiteral("OFF") : positionText(camera, camera.tilt));
    json.insert("auto_framing_size",
                raw(camera, Field::AutoFramingSize) == 0 ? QStringLiteral("CLOSEUP") : QStringLiteral("UPPER BODY"));
    return json;
}

QJsonObject DeviceStateReport::zukiExtStateInfo(const CameraSnapshot& camera)
{
    if (!sendable(camera))
        return QJsonObject();
    const int tracking = camera.ai.trackingMode;
    QJsonObject json = identity(camera);
    json.insert("auto_sleep", autoSleepText(raw(camera, Field::AutoSleep)));
    json.insert("tracking_mode", tracking == 0   ? QStringLiteral("NORMAL")
                                 : tracking == 1 ? QStringLiteral("HEADROOM")
                                                 : QStringLiteral("MOTION"));
    json.insert("face_ae", raw(camera, Field::FaceAe) != 0);
    json.insert("anti_flicker", antiFlickerText(raw(camera, Field::AntiFlicker)));
    json.insert("noise_cancellation", raw(camera, Field::NoiseCancellation) != 0);
    if (camera.is4K) {
        const bool portrait = raw(camera, Field::Portrait) != 0;
        json.insert("hdr", raw(camera, Field::Hdr) != 0);
        json.insert("landscape_or_portrait", portrait ? QStringLiteral("PORTRAIT") : QStringLiteral("LANDSCAPE"));
        // There is no headroom mode in portrait.
        if (portrait)
            json.insert("tracking_mode", camera.ai.portraitTrackingMode == 0 ? QStringLiteral("NORMAL")
                                                                             : QStringLiteral("MOTION"));
        json.insert("auto_focus", camera.autoFocus != 0);
        json.insert("face_focus", camera.autoFocus != 0 && camera.faceFocus);
    }
    addImageControls(camera, &json);
    addBootPosition(camera, &json);
    addPresets(camera, &json);
    return json;
}

QJsonObject DeviceStateReport::orlaExtStateInfo(const CameraSnapshot& camera)
{
    if (!sendable(camera))
        return QJsonObject();
    const bool autoFocus = raw(camera, Field::AutoFocus) != 0;
    QJsonObject json = identity(camera);
    json.insert("auto_sleep", autoSleepText(raw(camera, Field::AutoSleep)));
    json.insert("button_work_mode",
                raw(camera, Field::ButtonMode) == 0 ? QStringLiteral("DEFAULT") : QStringLiteral("ROTATION"));
    json.insert("face_ae", raw(camera, Field::FaceAe) != 0);
    json.insert("anti_flicker", antiFlickerText(raw(camera, Field::AntiFlicker)));
    json.insert("noise_cancellation", raw(camera, Field::NoiseCancellation) != 0);
    json.insert("hdr", raw(camera, Field::Hdr) != 0);
    json.insert("auto_focus", autoFocus);
    json.insert("face_focus", autoFocus && raw(camera, Field::FaceFocus) != 0);
    addImageControls(camera, &json);
    json.insert("screen_mode",
                raw(camera, Field::Portrait) == 0 ? QStringLiteral("LANDSCAPE") : QStringLiteral("PORTRAIT"));
    return json;
}

QJsonObject DeviceStateReport::byFamily(const CameraSnapshot& camera, Builder zuki, Builder orla)
{
    switch (CameraStatus::familyOf(camera.productType)) {
    case CameraStatus::Family::Zuki: return zuki(camera);
    case CameraStatus::Family::Orla: return orla(camera);
    case CameraStatus::Family::None: break;
    }
    return QJsonObject();
}

QJsonObject DeviceStateReport::mainStateInfo(const CameraSnapshot& camera)
{
    return byFamily(camera, &zukiMainStateInfo, &orlaMainStateInfo);
}

QJsonObject DeviceStateReport::extStateInfo(const CameraSnapshot& camera)
{
    return byFamily(camera, &zukiExtStateInfo, &orlaExtStateInfo);
}

void DeviceStateReport::addImageControls(const CameraSnapshot& camera, QJsonObject* json)
{
    const CameraSnapshot::ImageControls& image = camera.image;
    json->insert("white_balance",
                 autoOr(image.whiteBalanceAuto, QString::number(image.whiteBalanceKelvin) + QLatin1Char('K')));
    json->insert("brightness", QString::number(image.brightness));
    json->insert("contrast", autoOr(image.contrastAuto, QString::number(image.contrast)));
    json->insert("saturation", QString::number(image.saturation));
    json->insert("sharpness", QString::number(image.sharpness));
    json->insert("hue", autoOr(image.hueAuto, QString::number(image.hue)));
}

// The boot position's four values: pan is the third, tilt the second and
// zoom the fourth; the first is not sent.
void DeviceStateReport::addBootPosition(const CameraSnapshot& camera, QJsonObject* json)
{
    json->insert("init_pos_p", QString::number(double(camera.bootPos[2]), 'f', 2));
    json->insert("init_pos_t", QString::number(double(camera.bootPos[1]), 'f', 2));
    json->insert("init_pos_z", QString::number(double(camera.bootPos[3]), 'f', 2));
}

// The camera's presets; when any read failed, all three come from the
// stored parameters instead.
void DeviceStateReport::addPresets(const CameraSnapshot& camera, QJsonObject* json)
{
    for (int i = 0; i < 3; ++i) {
        const QString key = QStringLiteral("preset_%1_").arg(i + 1);
        double pan = 0;
        double tilt = 0;
        double zoom = 0;
        bool used = false;
        if (camera.presetsRead) {
            const UvcPreSetPosInfo& preset = camera.presets[i];
            pan = preset.pan / 100.0;
            tilt = preset.tilt / 100.0;
            zoom = preset.zoom / 100.0;
            used = preset.id == i;
        } else {
            const GlobalParams::PrePosParam& stored = camera.storedPresets[i];
            pan = stored.pan / 100.0;
            tilt = stored.tilt / 100.0;
            zoom = camera.is4K ? (stored.zoom - 1.0) * 3.0 + 1.0 : stored.zoom;
            used = stored.used;
        }
        json->insert(key + QLatin1String("pos_p"), gText(pan));
        json->insert(key + QLatin1String("pos_t"), gText(tilt));
        json->insert(key + QLatin1String("pos_z"), gText(zoom));
        json->insert(key + QLatin1String("used"), used);
    }
}

} // namespace pc
} // namespace vesk
