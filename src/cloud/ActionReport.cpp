#include "cloud/ActionReport.h"

#include "cloud/CameraSnapshotReader.h"
#include "cloud/CloudTaskPool.h"
#include "cloud/DeviceStateReport.h"
#include "uvc/UvcDevices.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

// How "data" is made from value1.
enum class Data {
    None,           // no "data" key
    Empty,          // ""
    Text,           // value1 as text
    RunState,       // 1 WAKE, 3 SLEEP, other PRIVACY
    LockUnlock,
    OnOff,
    GroupSingle,
    CloseupUpperBody,
    PanPitch,       // read from the camera
    CropCxCy,       // read from the camera
    PresetText,     // text, and "comment" becomes the position
    AutoSleep,
    Number,         // value1 as float, a JSON number
    NotImplemented,
    AntiFlicker,
    SetReset,       // SET replaces "comment" as PresetText does
    DefaultRotation,
};

struct ActionRow
{
    const char* name;
    Data data;
};

const ActionRow kActions[] = {
    {"to_sleep", Data::RunState},
    {"to_privacy", Data::RunState},
    {"to_wake", Data::RunState},
    {"tracking_tapped", Data::LockUnlock},
    {"zooming", Data::Text},
    {"gimbal_control", Data::PanPitch},
    {"gimbal_reset", Data::Empty},
    {"add_preset_position", Data::PresetText},
    {"update_preset_position", Data::PresetText},
    {"rename_preset_position", Data::Text},
    {"delete_preset_position", Data::Text},
    {"trigger_preset_position", Data::Text},
    {"set_view_mode", Data::Text},
    {"set_auto_framing_enabled", Data::OnOff},
    {"set_auto_framing_mode", Data::GroupSingle},
    {"set_auto_framing_size", Data::CloseupUpperBody},
    {"set_crop_area", Data::CropCxCy},
    {"reset_crop_area", Data::Empty},
    {"set_background_mode_enabled", Data::OnOff},
    {"set_background_mode_option", Data::Text},
    {"set_background_blur_level", Data::Text},
    {"set_background_green_screen_color", Data::Text},
    {"set_background_replacement_image_index", Data::Text},
    {"action_divider_line", Data::None},
    {"set_auto_sleep", Data::AutoSleep},
    {"set_gesture_control_target_lock_enabled", Data::OnOff},
    {"set_gesture_control_zooming_enabled", Data::OnOff},
    {"set_gesture_zooming_ratio", Data::Number},
    {"gesture_zooming_ratio_set_ui_opened", Data::Empty},
    {"set_tracking_mode", Data::None},
    {"configure_video_opened", Data::Empty},
    {"configure_video_reset", Data::Empty},
    {"set_auto_white_balance_enabled", Data::NotImplemented},
    {"set_brightness", Data::NotImplemented},
    {"set_contrast", Data::NotImplemented},
    {"set_saturation", Data::NotImplemented},
    {"set_sharpness", Data::NotImplemented},
    {"set_hue", Data::NotImplemented},
    {"set_anti_flicker_mode", Data::AntiFlicker},
    {"set_face_ae_enabled", Data::OnOff},
    {"set_init_boot_position", Data::SetReset},
    {"set_noise_cancellation_enabled", Data::OnOff},
    {"set_preset_position_enabled", Data::OnOff},
    {"set_hdr_enabled", Data::OnOff},
    {"set_to_landscape_mode", Data::Empty},
    {"set_to_portrait_mode", Data::Empty},
    {"set_auto_focus_enabled", Data::OnOff},
    {"set_manual_focus_value", Data::Text},
    {"set_face_focus_enabled", Data::OnOff},
    {"reset_gimbal_init", Data::Empty},
    {"reset_gimbal_zero", Data::Empty},
    {"set_button_work_mode", Data::DefaultRotation},
    {"set_button_customized_default_state", Data::Text},
    {"set_button_customized_click_once", Data::Text},
    {"set_button_customized_click_twice", Data::Text},
    {"action_butt", Data::None},
};
static_assert(std::size(kActions) == ActionReport::kActionCount, "one row per action");

const char* const kTriggers[] = {"MOUSE", "KEY", "REMOTE", "DEVICE", ""};

const ActionRow* rowOf(ActionType action)
{
    return action >= 0 && action < ActionReport::kActionCount ? &kActions[action] : nullptr;
}

QString choose(bool first, const char* yes, const char* no)
{
    return QLatin1String(first ? yes : no);
}

QString positionComment(const QVariant& pan, const QVariant& pitch, const QVariant& zoom)
{
    return QStringLiteral("pan=%1,pitch=%2,zoom=%3").arg(pan.toString(), pitch.toString(), zoom.toString());
}

// The "data" value; undefined for none or a rule filled later.
QJsonValue dataOf(Data rule, const QVariant& value1)
{
    switch (rule) {
    case Data::None:
    case Data::PanPitch:
    case Data::CropCxCy: return QJsonValue(QJsonValue::Undefined);
    case Data::Empty: return QString();
    case Data::Text:
    case Data::PresetText: return value1.toString();
    case Data::RunState: {
        const int state = value1.toInt();
        return state == 1 ? QStringLiteral("WAKE") : state == 3 ? QStringLiteral("SLEEP") : QStringLiteral("PRIVACY");
    }
    case Data::LockUnlock: return choose(value1.toBool(), "LOCK", "UNLOCK");
    case Data::OnOff: return choose(value1.toBool(), "ON", "OFF");
    case Data::GroupSingle: return choose(value1.toInt() == 0, "GROUP", "SINGLE");
    case Data::CloseupUpperBody: return choose(value1.toInt() == 0, "CLOSEUP", "UPPER BODY");
    case Data::AutoSleep: return DeviceStateReport::autoSleepText(value1.toInt());
    case Data::Number: return double(value1.toFloat());
    case Data::NotImplemented: return QStringLiteral("Not implemented at Present");
    case Data::AntiFlicker: return DeviceStateReport::antiFlickerText(value1.toInt());
    case Data::SetReset: return choose(value1.toBool(), "SET", "RESET");
    case Data::DefaultRotation: return choose(value1.toInt() == 0, "DEFAULT", "ROTATION");
    }
    return QJsonValue(QJsonValue::Undefined);
}

} // namespace

QString ActionReport::actionName(ActionType action)
{
    const ActionRow* row = rowOf(action);
    return row ? QLatin1String(row->name) : QString();
}

QString ActionReport::triggerName(ActionSourceType trigger)
{
    return trigger >= 0 && trigger < int(std::size(kTriggers)) ? QLatin1String(kTriggers[trigger]) : QString();
}

QJsonObject ActionReport::record(const QString& sn, const CameraSnapshot& camera, ActionType action,
                                 ActionSourceType trigger, const QString& comment, const QVariant& value1,
                                 const QVariant& value2, const QVariant& value3, const QVariant& value4)
{
    const ActionRow* row = rowOf(action);
    if (!row)
        return QJsonObject();
    QJsonObject json{{"sn", sn},         {"platform", camera.platform},   {"version", camera.version},
                     {"action", row->name}, {"comment", comment}, {"trigger", triggerName(trigger)}};
    const QJsonValue data = dataOf(row->data, value1);
    if (!data.isUndefined())
        json.insert(QStringLiteral("data"), data);
    const bool replaceComment = row->data == Data::PresetText || (row->data == Data::SetReset && value1.toBool());
    if (replaceComment)
        json.insert(QStringLiteral("comment"), positionComment(value2, value3, value4));
    return json;
}

bool ActionReport::positionKeys(ActionType action, QString* panKey, QString* tiltKey)
{
    const ActionRow* row = rowOf(action);
    if (!row || (row->data != Data::PanPitch && row->data != Data::CropCxCy))
        return false;
    const bool gimbal = row->data == Data::PanPitch;
    *panKey = choose(gimbal, "pan", "cx");
    *tiltKey = choose(gimbal, "pitch", "cy");
    return true;
}

PushDevUsageState::DevUsageStateType ActionReport::typeFor(int productType, ActionType action)
{
    return PushDevUsageState::typeFor(productType, action <= kLastMainEvent ? PushDevUsageState::MainEvent
                                                                            : PushDevUsageState::ExtEvent);
}

void devActionToServer(const QString& sn, ActionType action, ActionSourceType trigger, const QString& comment,
                       const QVariant& value1, const QVariant& value2, const QVariant& value3,
                       const QVariant& value4, const QVariant& value5)
{
    Q_UNUSED(value5)
    if (ActionReport::actionName(action).isEmpty()) {
        qWarning() << "No such action to report:" << int(action);
        return;
    }
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn);
    if (!device)
        return;
    CameraSnapshot camera;
    CameraSnapshotReader::readBasics(*device, &camera);
    const QJsonObject record =
        ActionReport::record(sn, camera, action, trigger, comment, value1, value2, value3, value4);
    auto* task = new PushDevUsageState(record, ActionReport::typeFor(camera.productType, action));
    QString panKey;
    QString tiltKey;
    if (ActionReport::positionKeys(action, &panKey, &tiltKey))
        task->setPositionData(panKey, tiltKey);
    CloudTaskPool::global().start(task);
}

unsigned getActionType(const QString& sn, ActionType action)
{
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn);
    if (!device)
        return PushDevUsageState::StateTypeNone;
    return ActionReport::typeFor(device->getProductType(), action);
}

} // namespace pc
} // namespace vesk
