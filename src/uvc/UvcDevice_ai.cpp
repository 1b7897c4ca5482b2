// The AI tracker and the gimbal: protocol commands to the AI unit and the
// gimbal, and the on/off switches on extension-unit selectors 3 to 6.

#include "uvc/UvcDevice.h"

#include "uvc/ReplyDecoders.h"
#include "uvc/UvcCommand.h"

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

const SwitchRow kTargetSelect = {3, kCommandGuards | UvcCommand::NotUpgrade,
                                 kCommandGuards | UvcCommand::NotUpgrade, {},
                                 "set ai target select", "set ai select target", " failed",
                                 "Invalid ret ="};
// The camera reads this switch's system type before its mode.
const SwitchRow kGestureCtrl = {4, kSwitchGuards, UvcCommand::Inited | UvcCommand::MainSystem,
                                UvcCommand::NotNetMode | UvcCommand::NotUpgrade, "set ai gesture",
                                "set ai gesture", "failed", "Invalid ret "};
const SwitchRow kGimbalLock = {5, kSwitchGuards, kSwitchGuards, {}, "set gimbal lock",
                               "set gimbal lock", "failed", "Invalid ret_val ="};

constexpr int kGimbalResetSelector = 6;

int setSwitch(UvcDevice& device, const SwitchRow& row, bool value)
{
    if (!UvcCommand::allowed(device, row.setGuards))
        return -1;
    uint8_t block[UvcDevice::kXuTransferLength] = {};
    block[0] = value ? 1 : 0;
    const int moved = device.setDataWithLengthSelectorUnitId(block, UvcDevice::kXuTransferLength,
                                                             row.selector, UvcUnitKind::ExtensionUnit,
                                                             device.units().extensionUnitId);
    if (moved != UvcDevice::kXuTransferLength) {
        qCritical() << row.setFailed << value << row.failWord;
        return -1;
    }
    qDebug() << row.setDone << value << "successfully";
    return 0;
}

int getSwitch(UvcDevice& device, const SwitchRow& row, bool& value)
{
    if (!UvcCommand::allowed(device, row.getGuards, row.getGuardsThen))
        return -1;
    uint8_t block[UvcDevice::kXuTransferLength] = {};
    const int moved = device.getDataByTypeLengthSelectorUnitId(
        block, int(UvcRequest::GetCur), UvcDevice::kXuTransferLength, row.selector,
        UvcUnitKind::ExtensionUnit, device.units().extensionUnitId);
    if (moved != UvcDevice::kXuTransferLength) {
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

int UvcDevice::aiSetGestureCtrlIndividual(int gesture, bool on)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, gesture);
    UvcCommand::appendU8(payload, on);
    return UvcCommand::queue(*this, kCommandGuards, kCmdGestureCtrlIndividual, kAiUnit, payload);
}

int UvcDevice::aiSetTrackingMode(int mode)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, mode);
    return UvcCommand::queue(*this, UvcCommand::NotNetMode, kCmdTrackingMode, kAiUnit, payload);
}

int UvcDevice::aiGetAiStatus(AiStatus* status, QSharedPointer<QString> method, QObject* receiver,
                             GetMethod getMethod)
{
    if (!UvcCommand::allowed(*this, kCommandGuards))
        return -1;
    ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdAiShortStatus, kAiUnit);
    if (getMethod == GetMethodNonBlock)
        return sendMsgSyncNonBlock(frame, method, receiver);
    if (!status)
        return -1;
    QByteArray data;
    if (UvcCommand::sendSync(*this, frame, data, ReplyDecoders::dataNeeded(kCmdAiShortStatus)) != 0)
        return -1;
    *status = ReplyDecoders::aiShortStatus(reinterpret_cast<const uint8_t*>(data.constData()));
    qDebug() << "AI Status: " << status->state << status->mode << status->trackingMode
             << status->value;
    return 0;
}

int UvcDevice::aiSetGestureZoomFactor(float factor)
{
    return UvcCommand::queue(*this, kCommandGuards, kCmdGestureZoomFactor, kAiUnit,
                             floats({factor}));
}

int UvcDevice::aiSetButtonSwitchForKo(bool on)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, on);
    return UvcCommand::queue(*this, kCommandGuards, kCmdButtonSwitchForKo, kAiUnit, payload);
}

int UvcDevice::aiGimbalSpeedCtrl(double first, double second)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, kAiSpeedMode);
    payload += floats({kAiSpeedScale, float(first), float(second)});
    return UvcCommand::queue(*this, kCommandGuards, kCmdAiGimbalSpeed, kAiUnit, payload);
}

int UvcDevice::aiSetGimbalBootPos(float first, float second, float third, float fourth)
{
    return UvcCommand::queue(*this, kCommandGuards, kCmdSetBootPos, kAiUnit,
                             floats({first, second, third, fourth}));
}

int UvcDevice::aiGetGimbalBootPos(float& first, float& second, float& third, float& fourth)
{
    QByteArray data;
    if (UvcCommand::query(*this, kCommandGuards, kCmdGetBootPos, kAiUnit, {}, data, kBootPosData)
        != 0)
        return -1;
    first = UvcCommand::floatAt(data, 4);
    second = UvcCommand::floatAt(data, 8);
    third = UvcCommand::floatAt(data, 12);
    fourth = UvcCommand::floatAt(data, 16);
    return 0;
}

int UvcDevice::aiTrgGimbalBootPos()
{
    return UvcCommand::queue(*this, kCommandGuards, kCmdTriggerBootPos, kAiUnit);
}

int UvcDevice::aiSetEnabled(bool enabled)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, 0);
    UvcCommand::appendU8(payload, enabled);
    return UvcCommand::queue(*this, UvcCommand::NotNetMode | UvcCommand::MainSystem, kCmdAiEnable,
                             kAiUnit, payload);
}

int UvcDevice::gimbalGetAttitudeInfo(int16_t& x, int16_t& y, int16_t& z)
{
    QByteArray data;
    if (UvcCommand::query(*this, kCommandGuards, kCmdAttitude, kGimbal, {}, data, kAttitudeData)
        != 0)
        return -1;
    x = UvcCommand::i16At(data, 0);
    y = UvcCommand::i16At(data, 2);
    z = UvcCommand::i16At(data, 4);
    qDebug() << "x =" << x << "; y =" << y << "; z =" << z;
    return 0;
}

int UvcDevice::gimbalSpeedCtrl(double first, double second)
{
    QByteArray payload;
    UvcCommand::appendI16(payload, 0);
    UvcCommand::appendI16(payload, UvcCommand::hundredths(first));
    UvcCommand::appendI16(payload, UvcCommand::hundredths(second));
    return UvcCommand::queue(*this, kCommandGuards, kCmdGimbalSpeed, kGimbal, payload);
}

int UvcDevice::gimbalSetSpeedPosition(int16_t x, int16_t y, int16_t z, double speedX,
                                      double speedY, double speedZ)
{
    QByteArray payload;
    for (double speed : {speedX, speedY, speedZ})
        UvcCommand::appendI16(payload, UvcCommand::hundredths(speed));
    for (int16_t position : {x, y, z})
        UvcCommand::appendI16(payload, position);
    return UvcCommand::queue(*this, kCommandGuards, kCmdSpeedPosition, kGimbal, payload);
}

int UvcDevice::gimbalLock(bool lock)
{
    QByteArray payload;
    for (int i = 0; i < 3; ++i)
        UvcCommand::appendU8(payload, lock);
    return UvcCommand::queue(*this, kCommandGuards, kCmdGimbalLock, kGimbal, payload);
}

int UvcDevice::aiSetTargetSelect(bool on) { return setSwitch(*this, kTargetSelect, on); }
int UvcDevice::aiGetTargetSelect(bool& on) { return getSwitch(*this, kTargetSelect, on); }
int UvcDevice::aiSetGestureCtrl(bool on) { return setSwitch(*this, kGestureCtrl, on); }
int UvcDevice::aiGetGestureCtrl(bool& on) { return getSwitch(*this, kGestureCtrl, on); }
int UvcDevice::aiSetGimbalLock(bool lock) { return setSwitch(*this, kGimbalLock, lock); }
int UvcDevice::aiGetGimbalLock(bool& lock) { return getSwitch(*this, kGimbalLock, lock); }

int UvcDevice::gimbalReset()
{
    if (!UvcCommand::allowed(*this, kSwitchGuards))
        return -1;
    uint8_t block[kXuTransferLength] = {};
    const int moved = setDataWithLengthSelectorUnitId(block, kXuTransferLength, kGimbalResetSelector,
                                                      UvcUnitKind::ExtensionUnit,
                                                      units().extensionUnitId);
    if (moved != kXuTransferLength) {
        qCritical() << "gimbal reset failed, ret =" << moved;
        return -1;
    }
    return 0;
}

} // namespace pc
} // namespace vesk
