// The AI tracker and the gimbal: protocol commands to the AI unit and the
// gimbal, and the on/off switches on extension-unit selectors 3 to 6.

#include "uvc/AiCommands.h"

#include "uvc/ExtensionUnit.h"
#include "uvc/ReplyDecoders.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kAiUnit = 3;
constexpr uint8_t kGimbal = 2;

constexpr uint16_t kCmdGestureCtrlIndividual = 0x3090;
constexpr uint16_t kCmdTrackingMode = 0x3091;
constexpr uint16_t kCmdAiShortStatus = 0x3092;  // AI_FETCH_SHORT_STATUS
constexpr uint16_t kCmdGestureZoomFactor = 0x3093;
constexpr uint16_t kCmdButtonSwitchForKo = 0x3094;
constexpr uint16_t kCmdAiGimbalSpeed = 0x3023;
constexpr uint16_t kCmdSetBootPos = 0x3035;
constexpr uint16_t kCmdGetBootPos = 0x3036;
constexpr uint16_t kCmdTriggerBootPos = 0x303A;
constexpr uint16_t kCmdAiEnable = 0x3051;
constexpr uint16_t kCmdAttitude = 0x2001;
constexpr uint16_t kCmdGimbalSpeed = 0x2004;
constexpr uint16_t kCmdSpeedPosition = 0x2006;
constexpr uint16_t kCmdGimbalLock = 0x2022;

constexpr int kBootPosData = 20;
constexpr int kAttitudeData = 6;

// The constants that open the AI unit's speed command; the camera defines them.
constexpr int kAiSpeedMode = 3;
constexpr float kAiSpeedScale = 200.0f;

// One on/off switch on an extension-unit selector.
struct SwitchRow
{
    int selector;
    UvcCommand::Guards setGuards;
    UvcCommand::Guards getGuards;
    UvcCommand::Guards getGuardsThen;  // tested after getGuards
    const char* setDone;    // debug: text, value, "successfully"
    const char* setFailed;  // critical: text, value, failure word
    const char* failWord;
    const char* getFailed;  // critical: text, byte count
};

constexpr UvcCommand::Guards kSwitchGuards =
    UvcCommand::NotNetMode | UvcCommand::MainSystem | UvcCommand::NotUpgrade;

const SwitchRow kTargetSelect = {ExtensionUnit::kTargetSelectSelector,
                                 kCommandGuards | UvcCommand::NotUpgrade,
                                 kCommandGuards | UvcCommand::NotUpgrade, {},
                                 "set ai target select", "set ai select target", " failed",
                                 "Invalid ret ="};
// The camera reads this switch's system type before its mode.
const SwitchRow kGestureCtrl = {ExtensionUnit::kGestureSelector, kSwitchGuards,
                                UvcCommand::Inited | UvcCommand::MainSystem,
                                UvcCommand::NotNetMode | UvcCommand::NotUpgrade, "set ai gesture",
                                "set ai gesture", "failed", "Invalid ret "};
const SwitchRow kGimbalLock = {ExtensionUnit::kGimbalLockSelector, kSwitchGuards, kSwitchGuards, {},
                               "set gimbal lock", "set gimbal lock", "failed",
                               "Invalid ret_val ="};

constexpr int kBlock = ExtensionUnit::kBlockSize;

int setSwitch(ControlPort& control, const UvcCommand& command, const SwitchRow& row, bool value)
{
    if (!command.allowed(row.setGuards))
        return -1;
    uint8_t block[kBlock] = {};
    block[0] = value ? 1 : 0;
    const int moved = control.setDataWithLengthSelectorUnitId(block, kBlock, row.selector,
                                                              UvcUnitKind::ExtensionUnit,
                                                              control.units().extensionUnitId);
    if (moved != kBlock) {
        qCritical() << row.setFailed << value << row.failWord;
        return -1;
    }
    qDebug() << row.setDone << value << "successfully";
    return 0;
}

int getSwitch(ControlPort& control, const UvcCommand& command, const SwitchRow& row, bool& value)
{
    if (!command.allowed(row.getGuards, row.getGuardsThen))
        return -1;
    uint8_t block[kBlock] = {};
    const int moved = control.getDataByTypeLengthSelectorUnitId(
        block, int(UvcRequest::GetCur), kBlock, row.selector, UvcUnitKind::ExtensionUnit,
        control.units().extensionUnitId);
    if (moved != kBlock) {
        qCritical() << row.getFailed << moved;
        return -1;
    }
    value = block[0] != 0;
    return 0;
}

QByteArray floats(std::initializer_list<float> values)
{
    QByteArray payload;
    for (float value : values)
        UvcCommand::appendFloat(payload, value);
    return payload;
}

} // namespace

AiCommands::AiCommands(ControlPort& control, MessagePort& channel, UvcCommand::DeviceState state)
    : control_(control)
    , command_(channel, std::move(state))
{
}

int AiCommands::aiSetGestureCtrlIndividual(int gesture, bool on)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, gesture);
    UvcCommand::appendU8(payload, on);
    return command_.queue(kCommandGuards, kCmdGestureCtrlIndividual, kAiUnit, payload);
}

int AiCommands::aiSetTrackingMode(int mode)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, mode);
    return command_.queue(UvcCommand::NotNetMode, kCmdTrackingMode, kAiUnit, payload);
}

int AiCommands::aiGetAiStatus(AiStatus* status, QSharedPointer<QString> method,
                              QObject* receiver, MessagePort::GetMethod getMethod)
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdAiShortStatus, kAiUnit);
    if (getMethod == MessagePort::GetMethodNonBlock)
        return command_.channel().sendMsgSyncNonBlock(frame, method, receiver);
    if (!status)
        return -1;
    QByteArray data;
    if (command_.sendSync(frame, data, ReplyDecoders::dataNeeded(kCmdAiShortStatus)) != 0)
        return -1;
    *status = ReplyDecoders::aiShortStatus(reinterpret_cast<const uint8_t*>(data.constData()));
    qDebug() << "AI Status: " << status->state << status->mode << status->trackingMode
             << status->value;
    return 0;
}

int AiCommands::aiSetGestureZoomFactor(float factor)
{
    return command_.queue(kCommandGuards, kCmdGestureZoomFactor, kAiUnit,
                             floats({factor}));
}

int AiCommands::aiSetButtonSwitchForKo(bool on)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, on);
    return command_.queue(kCommandGuards, kCmdButtonSwitchForKo, kAiUnit, payload);
}

int AiCommands::aiGimbalSpeedCtrl(double first, double second)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, kAiSpeedMode);
    payload += floats({kAiSpeedScale, float(first), float(second)});
    return command_.queue(kCommandGuards, kCmdAiGimbalSpeed, kAiUnit, payload);
}

int AiCommands::aiSetGimbalBootPos(float first, float second, float third, float fourth)
{
    return command_.queue(kCommandGuards, kCmdSetBootPos, kAiUnit,
                             floats({first, second, third, fourth}));
}

int AiCommands::aiGetGimbalBootPos(float& first, float& second, float& third, float& fourth)
{
    QByteArray data;
    if (command_.query(kCommandGuards, kCmdGetBootPos, kAiUnit, {}, data, kBootPosData)
        != 0)
        return -1;
    first = UvcCommand::floatAt(data, 4);
    second = UvcCommand::floatAt(data, 8);
    third = UvcCommand::floatAt(data, 12);
    fourth = UvcCommand::floatAt(data, 16);
    return 0;
}

int AiCommands::aiTrgGimbalBootPos()
{
    return command_.queue(kCommandGuards, kCmdTriggerBootPos, kAiUnit);
}

int AiCommands::aiSetEnabled(bool enabled)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, 0);
    UvcCommand::appendU8(payload, enabled);
    return command_.queue(UvcCommand::NotNetMode | UvcCommand::MainSystem, kCmdAiEnable,
                             kAiUnit, payload);
}

int AiCommands::gimbalGetAttitudeInfo(int16_t& x, int16_t& y, int16_t& z)
{
    QByteArray data;
    if (command_.query(kCommandGuards, kCmdAttitude, kGimbal, {}, data, kAttitudeData)
        != 0)
        return -1;
    x = UvcCommand::i16At(data, 0);
    y = UvcCommand::i16At(data, 2);
    z = UvcCommand::i16At(data, 4);
    qDebug() << "x =" << x << "; y =" << y << "; z =" << z;
    return 0;
}

int AiCommands::gimbalSpeedCtrl(double first, double second)
{
    QByteArray payload;
    UvcCommand::appendI16(payload, 0);
    UvcCommand::appendI16(payload, UvcCommand::hundredths(first));
    UvcCommand::appendI16(payload, UvcCommand::hundredths(second));
    return command_.queue(kCommandGuards, kCmdGimbalSpeed, kGimbal, payload);
}

int AiCommands::gimbalSetSpeedPosition(int16_t x, int16_t y, int16_t z, double speedX,
                                      double speedY, double speedZ)
{
    QByteArray payload;
    for (double speed : {speedX, speedY, speedZ})
        UvcCommand::appendI16(payload, UvcCommand::hundredths(speed));
    for (int16_t position : {x, y, z})
        UvcCommand::appendI16(payload, position);
    return command_.queue(kCommandGuards, kCmdSpeedPosition, kGimbal, payload);
}

int AiCommands::gimbalLock(bool lock)
{
    QByteArray payload;
    for (int i = 0; i < 3; ++i)
        UvcCommand::appendU8(payload, lock);
    return command_.queue(kCommandGuards, kCmdGimbalLock, kGimbal, payload);
}

int AiCommands::aiSetTargetSelect(bool on)
{
    return setSwitch(control_, command_, kTargetSelect, on);
}

int AiCommands::aiGetTargetSelect(bool& on)
{
    return getSwitch(control_, command_, kTargetSelect, on);
}

int AiCommands::aiSetGestureCtrl(bool on)
{
    return setSwitch(control_, command_, kGestureCtrl, on);
}

int AiCommands::aiGetGestureCtrl(bool& on)
{
    return getSwitch(control_, command_, kGestureCtrl, on);
}

int AiCommands::aiSetGimbalLock(bool lock)
{
    return setSwitch(control_, command_, kGimbalLock, lock);
}

int AiCommands::aiGetGimbalLock(bool& lock)
{
    return getSwitch(control_, command_, kGimbalLock, lock);
}

int AiCommands::gimbalReset()
{
    if (!command_.allowed(kSwitchGuards))
        return -1;
    uint8_t block[kBlock] = {};
    const int moved = control_.setDataWithLengthSelectorUnitId(
        block, kBlock, ExtensionUnit::kGimbalResetSelector, UvcUnitKind::ExtensionUnit,
        control_.units().extensionUnitId);
    if (moved != kBlock) {
        qCritical() << "gimbal reset failed, ret =" << moved;
        return -1;
    }
    return 0;
}

} // namespace pc
} // namespace vesk
