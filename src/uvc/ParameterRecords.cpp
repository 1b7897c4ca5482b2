// Camera parameter records (extension-unit selector 6) and the face-focus
// frames that sit beside them.

#include "uvc/ParameterRecords.h"

#include "uvc/ExtensionUnit.h"

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
int writeRecord(ControlPort& control, const UvcCommand& command, const ParamRecord& row,
                std::initializer_list<uint8_t> data, std::initializer_list<int> shown)
{
    if (!command.allowed(kTransferGuards, UvcCommand::MainSystem))
        return -1;
    uint8_t record[ExtensionUnit::kBlockSize] = {};
    record[0] = row.id;
    record[1] = row.length;
    int at = 2;
    for (uint8_t byte : data)
        record[at++] = byte;
    const int moved = control.setDataWithLengthSelectorUnitId(
        record, ExtensionUnit::kBlockSize, ExtensionUnit::kParamRecordSelector,
        UvcUnitKind::ExtensionUnit, control.units().extensionUnitId);
    if (moved != ExtensionUnit::kBlockSize) {
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

int writeByte(ControlPort& control, const UvcCommand& command, const ParamRecord& row, int value)
{
    return writeRecord(control, command, row, {uint8_t(value)}, {value});
}

} // namespace

ParameterRecords::ParameterRecords(ControlPort& control, MessagePort& channel,
                                   UvcCommand::DeviceState state)
    : control_(control)
    , command_(channel, std::move(state))
{
}

int ParameterRecords::cameraSetMediaMode(int mode)
{
    return writeByte(control_, command_, kMediaMode, mode);
}

int ParameterRecords::cameraSetHdr(bool on)
{
    return writeByte(control_, command_, kHdr, on ? 1 : 0);
}

int ParameterRecords::cameraSetFaceAE(int on)
{
    return writeByte(control_, command_, kFaceAe, on);
}

int ParameterRecords::cameraSetFov(int fov)
{
    return writeByte(control_, command_, kFov, fov);
}

int ParameterRecords::cameraSetBgMode(int mode)
{
    return writeByte(control_, command_, kBgMode, mode);
}

int ParameterRecords::cameraSetMaskLevel(int level)
{
    return writeByte(control_, command_, kMaskLevel, qBound(0, level, 100));
}

int ParameterRecords::cameraSetButtonMode(int mode)
{
    return writeByte(control_, command_, kButtonMode, mode);
}

int ParameterRecords::cameraSetCustomizeButtonAction(ButtonAction action)
{
    return writeRecord(control_, command_, kButtonAction,
                       {action.bytes[0], action.bytes[1], action.bytes[2]}, {});
}

int ParameterRecords::cameraSetNoiseCancellation(int on)
{
    return writeByte(control_, command_, kNoiseCancellation, on);
}

int ParameterRecords::cameraSetSuspendTime(int seconds)
{
    return writeRecord(control_, command_, kSuspendTime,
                       {uint8_t(seconds), uint8_t(unsigned(seconds) >> 8)}, {seconds});
}

int ParameterRecords::cameraSetVerticalMode(int mode)
{
    return writeByte(control_, command_, kVerticalMode, mode);
}

int ParameterRecords::cameraSetAutoFramingMode(int8_t mode, int8_t size)
{
    return writeRecord(control_, command_, kAutoFraming, {uint8_t(mode), uint8_t(size)},
                       {mode, size});
}

int ParameterRecords::cameraSetImageReplace(int operation, int index)
{
    return writeRecord(control_, command_, kImageReplace, {uint8_t(operation), uint8_t(index)},
                       {operation, index});
}

int ParameterRecords::cameraSetBgColor(int color)
{
    return writeByte(control_, command_, kBgColor, color);
}

int ParameterRecords::cameraSetBgEnable(bool enable)
{
    // The camera's sense: 0 means the virtual background is on.
    return writeByte(control_, command_, kBgEnable, enable ? 0 : 1);
}

int ParameterRecords::cameraSetPortraitMode(int mode)
{
    return writeByte(control_, command_, kPortraitMode, mode);
}

int ParameterRecords::cameraSetFaceFocus(bool on)
{
    return command_.queue(kCommandGuards, kCmdSetFaceFocus, kReceiverCamera,
                          QByteArray(1, char(on ? 1 : 0)));
}

int ParameterRecords::cameraGetFaceFocus(QSharedPointer<QString> method, QObject* receiver,
                                         MessagePort::GetMethod getMethod)
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdGetFaceFocus, kReceiverCamera);
    if (getMethod == MessagePort::GetMethodNonBlock)
        return command_.channel().sendMsgSyncNonBlock(frame, std::move(method), receiver);
    QByteArray data;
    if (command_.sendSync(frame, data, 0) != 0)
        return 0;
    return data.isEmpty() ? 0 : int(int8_t(data[0]));
}

} // namespace pc
} // namespace vesk
