// Gimbal presets: single 60-byte transfers on extension-unit selector 7,
// outside the message queue.

#include "uvc/GimbalPresets.h"

#include "uvc/ExtensionUnit.h"

#include <QDebug>
#include <QMutexLocker>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kPresetSelector = ExtensionUnit::kPresetSelector;
constexpr int kBlock = ExtensionUnit::kBlockSize;

enum PresetOperation : uint8_t { PresetAdd = 0, PresetRemove = 1, PresetGet = 2, PresetTrigger = 3 };

// Reply of a get: 0xAA, 1, status, then the record.
constexpr uint8_t kReplyMagic = 0xAA;
constexpr uint8_t kReplyKind = 1;
constexpr int kReplyStatus = 2;
constexpr int kReplyRecord = 3;
constexpr int kReplyNameLen = kReplyRecord + UvcPreSetPosInfo::kHeadSize - 1;

// Sends one request block; 0 when all 60 bytes went.
int sendPresetBlock(ControlPort& control, const UvcCommand& command, uint8_t* block,
                    const char* failure)
{
    if (!command.allowed(UvcCommand::NotUpgrade))
        return -1;
    if (control.setDataWithLengthSelectorUnitId(block, kBlock, kPresetSelector,
                                                UvcUnitKind::ExtensionUnit,
                                                control.units().extensionUnitId)
        != kBlock) {
        qCritical() << failure;
        return -1;
    }
    return 0;
}

// Checks a get reply and copies its record; the record is untouched on -1.
// The reply must hold every byte that is read from it.
int takePresetReply(const uint8_t* reply, int received, UvcPreSetPosInfo* info)
{
    if (received <= kReplyStatus) {
        qCritical() << "Preset reply too short:" << received;
        return -1;
    }
    if (reply[0] != kReplyMagic || reply[1] != kReplyKind) {
        qCritical() << "Preset info invalid" << int(reply[0]) << int(reply[1]);
        return -1;
    }
    if (reply[kReplyStatus] != 0) {
        qInfo() << "Preset not present" << int(reply[kReplyStatus]);
        info->id = UvcPreSetPosInfo::kNotPresent;
        return 0;
    }
    if (received <= kReplyNameLen) {
        qCritical() << "Preset reply too short:" << received;
        return -1;
    }
    const int nameLen = reply[kReplyNameLen];
    if (nameLen > UvcPreSetPosInfo::kMaxGetName) {
        qCritical() << "Preset info name len error" << nameLen;
        return -1;
    }
    const int recordLen = UvcPreSetPosInfo::kHeadSize + nameLen;
    if (received < kReplyRecord + recordLen) {
        qCritical() << "Preset reply too short:" << received;
        return -1;
    }
    std::memcpy(info, reply + kReplyRecord, size_t(recordLen));
    return 0;
}

} // namespace

GimbalPresets::GimbalPresets(ControlPort& control, MessagePort& channel,
                             UvcCommand::DeviceState state)
    : control_(control)
    , command_(channel, std::move(state))
{
}

int GimbalPresets::presetPositionAdd(UvcPreSetPosInfo* info)
{
    if (!info || info->nameLen > UvcPreSetPosInfo::kMaxAddName)
        return -1;
    uint8_t block[kBlock] = {PresetAdd};
    std::memcpy(block + 1, info, size_t(UvcPreSetPosInfo::kHeadSize + info->nameLen));
    return sendPresetBlock(control_, command_, block, "add gimbal preset pose failed");
}

int GimbalPresets::presetPositionRemove(uint8_t id)
{
    uint8_t block[kBlock] = {PresetRemove, id};
    return sendPresetBlock(control_, command_, block, "remove gimbal preset pose failed");
}

int GimbalPresets::presetPositionTrigger(uint8_t id)
{
    uint8_t block[kBlock] = {PresetTrigger, id};
    return sendPresetBlock(control_, command_, block, "trigger gimbal preset pose failed");
}

int GimbalPresets::presetPositionGet(uint8_t id, UvcPreSetPosInfo* info)
{
    if (!info || !command_.allowed(UvcCommand::NotUpgrade))
        return -1;
    uint8_t request[kBlock] = {PresetGet, 1, id};
    uint8_t reply[kBlock] = {};
    int received = 0;
    {
        // The get is two transfers; no other may come between them.
        QMutexLocker lock(control_.transferLock());
        const uint8_t unitId = control_.unitIdFor(UvcUnitKind::ExtensionUnit);
        if (control_.setDataWithLengthSelectorUnitId(request, kBlock, kPresetSelector,
                                                     UvcUnitKind::ExtensionUnit, unitId)
            != kBlock) {
            qCritical() << "query gimbal preset failed";
            return -1;
        }
        received = control_.getDataByTypeLengthSelectorUnitId(reply, int(UvcRequest::GetCur),
                                                              kBlock, kPresetSelector,
                                                              UvcUnitKind::ExtensionUnit, unitId);
    }
    if (received < 0) {
        qCritical() << "get gimbal preset failed";
        return -1;
    }
    return takePresetReply(reply, received, info);
}

} // namespace pc
} // namespace vesk
