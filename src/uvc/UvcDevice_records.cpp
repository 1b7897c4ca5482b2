// Camera parameter records (extension-unit selector 6) and the face-focus
// frames that sit beside them.

#include "uvc/UvcDevice.h"

#include "uvc/UvcCommand.h"

#include <QDebug>

#include <initializer_list>

namespace vesk {
namespace pc {

namespace {

struct ParamRecord
{
    const char* name;
    uint8_t id;
    uint8_t length;
    bool logsSuccess;
};

const ParamRecord kMediaMode = {"cameraSetMediaMode", 0x00, 1, true};
const ParamRecord kHdr = {"cameraSetHdr", 0x01, 1, true};
const ParamRecord kFaceAe = {"cameraSetFaceAE", 0x03, 1, true};
const ParamRecord kFov = {"cameraSetFov", 0x04, 1, true};
const ParamRecord kBgMode = {"cameraSetBgMode", 0x05, 1, false};
const ParamRecord kMaskLevel = {"cameraSetMaskLevel", 0x06, 1, false};
const ParamRecord kButtonMode = {"cameraSetButtonMode", 0x07, 1, false};
const ParamRecord kButtonAction = {"cameraSetCustomizeButtonAction", 0x08, 3, false};
const ParamRecord kNoiseCancellation = {"cameraSetNoiseCancellation", 0x0A, 1, true};
const ParamRecord kSuspendTime = {"cameraSetSuspendTime", 0x0B, 2, true};
const ParamRecord kVerticalMode = {"cameraSetVerticalMode", 0x0C, 1, true};
const ParamRecord kAutoFraming = {"cameraSetAutoFramingMode", 0x0D, 2, true};
const ParamRecord kImageReplace = {"cameraSetImageReplace", 0x0E, 2, true};
const ParamRecord kBgColor = {"cameraSetBgColor", 0x10, 1, false};
const ParamRecord kBgEnable = {"cameraSetBgEnable", 0x11, 1, false};
const ParamRecord kPortraitMode = {"cameraSetPortraitMode", 0x12, 1, true};

constexpr uint16_t kCmdSetFaceFocus = 0x13D2;
constexpr uint16_t kCmdGetFaceFocus = 0x11D2;
constexpr uint8_t kReceiverCamera = 1;

// data holds the record's data bytes (row.length of them); shown are the
// values as the success line names them.
int writeRecord(UvcDevice& device, const ParamRecord& row, std::initializer_list<uint8_t> data,
                std::initializer_list<int> shown)
{
    if (!UvcCommand::allowed(device, kTransferGuards, UvcCommand::MainSystem))
        return -1;
    uint8_t record[UvcDevice::kXuTransferLength] = {};
    record[0] = row.id;
    record[1] = row.length;
    int at = 2;
    for (uint8_t byte : data)
        record[at++] = byte;
    const int moved = device.setDataWithLengthSelectorUnitId(
        record, UvcDevice::kXuTransferLength, UvcDevice::kXuParamRecordSelector,
        UvcUnitKind::ExtensionUnit, device.units().extensionUnitId);
    if (moved != UvcDevice::kXuTransferLength) {
        qCritical() << row.name << int(row.id) << "failed";
        return -1;
    }
    if (row.logsSuccess) {
        QDebug line = qDebug().noquote();
        line << row.name;
        for (int value : shown)
            line << value;
        line << "successfully";
    }
    return 0;
}

int writeByte(UvcDevice& device, const ParamRecord& row, int value)
{
    return writeRecord(device, row, {uint8_t(value)}, {value});
}

} // namespace

int UvcDevice::cameraSetMediaMode(MediaMode mode)
{
    return writeByte(*this, kMediaMode, mode);
}

int UvcDevice::cameraSetHdr(bool on)
{
    return writeByte(*this, kHdr, on ? 1 : 0);
}

int UvcDevice::cameraSetFaceAE(int on)
{
    return writeByte(*this, kFaceAe, on);
}

int UvcDevice::cameraSetFov(int fov)
{
    return writeByte(*this, kFov, fov);
}

int UvcDevice::cameraSetBgMode(MediaBgMode mode)
{
    return writeByte(*this, kBgMode, mode);
}

int UvcDevice::cameraSetMaskLevel(int level)
{
    return writeByte(*this, kMaskLevel, qBound(0, level, 100));
}

int UvcDevice::cameraSetButtonMode(int mode)
{
    return writeByte(*this, kButtonMode, mode);
}

int UvcDevice::cameraSetCustomizeButtonAction(ButtonAction action)
{
    return writeRecord(*this, kButtonAction, {action.bytes[0], action.bytes[1], action.bytes[2]}, {});
}

int UvcDevice::cameraSetNoiseCancellation(int on)
{
    return writeByte(*this, kNoiseCancellation, on);
}

int UvcDevice::cameraSetSuspendTime(int seconds)
{
    return writeRecord(*this, kSuspendTime,
                       {uint8_t(seconds), uint8_t(unsigned(seconds) >> 8)}, {seconds});
}

int UvcDevice::cameraSetVerticalMode(int mode)
{
    return writeByte(*this, kVerticalMode, mode);
}

int UvcDevice::cameraSetAutoFramingMode(int8_t mode, int8_t size)
{
    return writeRecord(*this, kAutoFraming, {uint8_t(mode), uint8_t(size)}, {mode, size});
}

int UvcDevice::cameraSetImageReplace(int operation, int index)
{
    return writeRecord(*this, kImageReplace, {uint8_t(operation), uint8_t(index)},
                       {operation, index});
}

int UvcDevice::cameraSetBgColor(MediaBgModeColorType color)
{
    return writeByte(*this, kBgColor, color);
}

int UvcDevice::cameraSetBgEnable(bool enable)
{
    // The camera's sense: 0 means the virtual background is on.
    return writeByte(*this, kBgEnable, enable ? 0 : 1);
}

int UvcDevice::cameraSetPortraitMode(int mode)
{
    return writeByte(*this, kPortraitMode, mode);
}

int UvcDevice::cameraSetFaceFocus(bool on)
{
    return UvcCommand::queue(*this, kCommandGuards, kCmdSetFaceFocus, kReceiverCamera,
                             QByteArray(1, char(on ? 1 : 0)));
}

int UvcDevice::cameraGetFaceFocus(QSharedPointer<QString> method, QObject* receiver,
                                  GetMethod getMethod)
{
    if (!UvcCommand::allowed(*this, kCommandGuards))
        return -1;
    ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdGetFaceFocus, kReceiverCamera);
    if (getMethod == GetMethodNonBlock)
        return sendMsgSyncNonBlock(frame, std::move(method), receiver);
    QByteArray data;
    if (UvcCommand::sendSync(*this, frame, data, 0) != 0)
        return 0;
    return data.isEmpty() ? 0 : int(int8_t(data[0]));
}

} // namespace pc
} // namespace vesk
