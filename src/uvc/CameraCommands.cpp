// The camera unit's own commands: zoom and focus through the standard
// controls (with their cached ranges) or a vendor frame, anti-flicker, run
// status, factory reset, and the commands used around upgrades and log export.

#include "uvc/CameraCommands.h"

#include "comm/Util.h"
#include "uvc/ReplyDecoders.h"
#include "uvc/UvcCtrlSelector.h"

#include <QDebug>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kCameraUnit = 1;
constexpr uint8_t kSystem = 8;

constexpr uint16_t kCmdZoomRatio = 0x1283;
constexpr uint16_t kCmdRestoreFactory = 0x13C4;
constexpr uint16_t kCmdDevStatus = 0x13C2;  // SET_CAMERA_DEVSTATUS
constexpr uint16_t kCmdIndicateUpgrade = 0x8001;
constexpr uint16_t kCmdUpgradeMode = 0x8066;
constexpr uint16_t kCmdShellText = 0x11CD;

constexpr uint8_t kShellTextMarker = 0x14;
constexpr int kShellTextOffset = ProtocolMsg::kHeaderSize + 1;
constexpr int kShellLineMax = ProtocolMsg::kMaxFrameLength - kShellTextOffset - 1;  // 46

const char* const kLogLines[] = {
    "cp /app/private/LogFac* /log/ai/ -rf &",
    "cp /factory/*.json /log/ai/ &",
};

// floor(x + 0.5): halves go up, also below zero.
double nearest(double x)
{
    return std::floor(x + 0.5);
}

// One transfer of a standard control of the table; bytes moved or -1.
int controlTransfer(ControlPort& control, UvcRequest request, UvcCtrlSelectorType type,
                    uint8_t* data)
{
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    const uint8_t unitId = control.unitIdFor(info.unit);
    if (request == UvcRequest::SetCur)
        return control.setDataWithLengthSelectorUnitId(data, info.length, info.selector, info.unit,
                                                       unitId);
    return control.getDataByTypeLengthSelectorUnitId(data, int(request), info.length, info.selector,
                                                     info.unit, unitId);
}

bool readU16(ControlPort& control, UvcRequest request, UvcCtrlSelectorType type, int64_t& value)
{
    uint8_t bytes[2] = {};
    if (controlTransfer(control, request, type, bytes) != 2)
        return false;
    value = bytes[0] | bytes[1] << 8;
    return true;
}

int readU8(ControlPort& control, UvcCtrlSelectorType type)
{
    uint8_t byte = 0;
    return controlTransfer(control, UvcRequest::GetCur, type, &byte) == 1 ? byte : -1;
}

int writeU16(ControlPort& control, UvcCtrlSelectorType type, int64_t value)
{
    uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    return controlTransfer(control, UvcRequest::SetCur, type, bytes) == 2 ? 0 : -1;
}

int writeU8(ControlPort& control, UvcCtrlSelectorType type, int value)
{
    uint8_t byte = uint8_t(value);
    return controlTransfer(control, UvcRequest::SetCur, type, &byte) == 1 ? 0 : -1;
}

// GET_MIN and GET_MAX; the cache takes both only when both came and the
// minimum is not above the maximum, since the ratios divide by the span.
bool readRange(ControlPort& control, const UvcCommand& command, UvcCtrlSelectorType type,
               std::atomic<int64_t>& min, std::atomic<int64_t>& max, const char* label)
{
    if (!command.allowed(UvcCommand::NotUpgrade))
        return false;
    int64_t low = 0, high = 0;
    if (!readU16(control, UvcRequest::GetMin, type, low)
        || !readU16(control, UvcRequest::GetMax, type, high))
        return false;
    if (low > high) {
        qCritical() << label << low << high << "refused: minimum above maximum";
        return false;
    }
    min = low;
    max = high;
    qDebug() << label << low << high;
    return true;
}

// The first reply data byte as a signed number: the camera's result.
int blockingResult(UvcCommand& sender, UvcCommand::Guards guards, uint16_t command,
                   uint8_t receiver, uint8_t value)
{
    QByteArray data;
    if (sender.query(guards, command, receiver, QByteArray(1, char(value)), data, 1) != 0)
        return -1;
    return int8_t(data[0]);
}

} // namespace

CameraCommands::CameraCommands(ControlPort& control, MessagePort& channel,
                               UvcCommand::DeviceState state)
    : control_(control)
    , command_(channel, std::move(state))
{
}

bool CameraCommands::makeShellFrame(const QByteArray& line, ProtocolMsg::FrmPacket& frame)
{
    if (line.size() > kShellLineMax || line.contains('\0')) {
        qWarning() << "Shell line too long for one frame:" << line.size() << "bytes";
        return false;
    }
    frame = UvcCommand::frame(kCmdShellText, kCameraUnit);
    frame.payload()[0] = kShellTextMarker;
    std::memcpy(frame.bytes + kShellTextOffset, line.constData(), size_t(line.size()));
    frame.setVersionAndLength(0, ProtocolMsg::kMaxFrameLength);
    return true;
}

bool CameraCommands::cameraZoomRangeGet()
{
    return readRange(control_, command_, CtZoomAbsolute, zoomMin_, zoomMax_, "zoom range:");
}

bool CameraCommands::cameraFocusRangeGet()
{
    return readRange(control_, command_, CtFocusAbsolute, focusMin_, focusMax_, "focus range:");
}

bool CameraCommands::zoomRangeKnown()
{
    if (zoomMax_ != 0 || cameraZoomRangeGet())
        return true;
    qCritical() << "get zoom range failed";
    return false;
}

bool CameraCommands::focusRangeKnown()
{
    if (focusMax_ != 0 || cameraFocusRangeGet())
        return true;
    qCritical() << "get focus range failed";
    return false;
}

int CameraCommands::cameraSetZoomRatio(double ratio, int16_t speed, int method)
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    if (method == 1) {
        const double scaled = nearest(ratio * 1000.0);
        const int32_t zoom = std::isnan(scaled)
            ? 0
            : int32_t(qBound(double(INT32_MIN), scaled, double(INT32_MAX)));
        qDebug() << "zoom_i =" << zoom;
        QByteArray payload;
        UvcCommand::appendI16(payload, speed);
        UvcCommand::appendI32(payload, zoom);
        ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdZoomRatio, kCameraUnit, payload);
        return command_.sendAsync(frame);
    }
    if (!command_.allowed(UvcCommand::NotUpgrade) || !zoomRangeKnown())
        return -1;
    const int64_t min = zoomMin_, max = zoomMax_;
    // Held inside the camera's range, so that a ratio outside 1.0 to 2.0
    // cannot wrap round to the far end of the 16-bit control.
    const double wanted = double(min) + nearest(double(max - min) * (ratio - 1.0));
    const int64_t value = std::isnan(wanted) ? min : int64_t(qBound(double(min), wanted, double(max)));
    return writeU16(control_, CtZoomAbsolute, value);
}

double CameraCommands::cameraGetZoomRatio()
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade))
        return -1.0;
    if (!zoomRangeKnown())
        return -1.0;
    int64_t current = 0;
    if (!readU16(control_, UvcRequest::GetCur, CtZoomAbsolute, current))
        return -1.0;
    const int64_t min = zoomMin_, max = zoomMax_;
    if (max <= min)
        return 1.0;  // one position only: the lowest ratio
    // A camera may report a current value outside its own range.
    return double(qBound(min, current, max) - min) / double(max - min) + 1.0;
}

int CameraCommands::normalizedZoom(int value)
{
    if (!zoomRangeKnown())
        return 0;
    const int64_t min = zoomMin_, max = zoomMax_;
    if (max == min)
        return 0;
    const double percent = nearest(double(value - min) * 100.0 / double(max - min));
    return int(qBound(0.0, percent, 100.0));
}

int CameraCommands::cameraSetAutoFocus(bool on)
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade) || !focusRangeKnown())
        return -1;
    return writeU8(control_, CtFocusAuto, on ? 1 : 0);
}

int CameraCommands::cameraGetAutoFocus()
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade))
        return -1;
    return readU8(control_, CtFocusAuto);
}

int CameraCommands::cameraSetFocusRatio(int percentage)
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade) || !focusRangeKnown())
        return -1;
    const int64_t min = focusMin_, max = focusMax_;
    // Held at 0..100 so the value stays inside the camera's range.
    const int64_t held = qBound(0, percentage, 100);
    return writeU16(control_, CtFocusAbsolute, min + held * (max - min) / 100);
}

int CameraCommands::cameraGetFocusRatio(uint8_t* autoFocus)
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade) || !focusRangeKnown())
        return -1;
    int64_t current = 0;
    if (!readU16(control_, UvcRequest::GetCur, CtFocusAbsolute, current))
        return -1;
    int autoByte = 0;
    if (autoFocus && (autoByte = readU8(control_, CtFocusAuto)) < 0)
        return -1;
    if (autoFocus)
        *autoFocus = uint8_t(autoByte);
    const int64_t min = focusMin_, max = focusMax_;
    if (max <= min)
        return 0;  // one position only
    // A camera may report a current value outside its own range.
    return int((qBound(min, current, max) - min) * 100 / (max - min));
}

int CameraCommands::cameraSetAntiFlicker(int mode)
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade))
        return -1;
    return writeU8(control_, PuPowerLineFrequency, mode);
}

int CameraCommands::cameraGetAntiFlicker()
{
    if (!command_.allowed(kCommandGuards | UvcCommand::NotUpgrade))
        return -1;
    return readU8(control_, PuPowerLineFrequency);
}

// Sent with a reply asked for: a queued frame tells nothing of the reset.
int CameraCommands::cameraRestoreFactorySettings()
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    ProtocolMsg::FrmPacket frame =
        UvcCommand::frame(kCmdRestoreFactory, kCameraUnit, QByteArray(1, '\1'));
    QByteArray reply;
    const MessagePort::ErrorType result = command_.channel().sendMsgSync(frame, reply);
    if (result == MessagePort::ErrSuccess)
        return kResetConfirmed;
    qCritical() << "Factory reset not confirmed, ret_val =" << result;
    return result == MessagePort::ErrNoReply ? kResetUnanswered : -1;
}

int CameraCommands::cameraSetDevRunStatus(int status)
{
    QByteArray payload;
    UvcCommand::appendU8(payload, 1);
    UvcCommand::appendU8(payload, status);
    return command_.queue(kCommandGuards, kCmdDevStatus, kCameraUnit, payload);
}

int CameraCommands::cameraGetDevRunStatus(int* status, QSharedPointer<QString> method,
                                          QObject* receiver, MessagePort::GetMethod getMethod)
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    const QByteArray query(2, '\0');
    if (getMethod == MessagePort::GetMethodNonBlock) {
        ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdDevStatus, kCameraUnit, query);
        return command_.channel().sendMsgSyncNonBlock(frame, method, receiver);
    }
    QByteArray data;
    if (!status
        || command_.query(UvcCommand::Guards(), kCmdDevStatus, kCameraUnit, query, data,
                             ReplyDecoders::dataNeeded(kCmdDevStatus))
               != 0)
        return -1;
    *status = int8_t(data[0]);
    qDebug() << "Camera Status" << *status;
    return 0;
}

int CameraCommands::cameraIndicateUpgrade()
{
    // A set-8 command word, yet addressed to the camera rather than the system.
    return blockingResult(command_, kCommandGuards, kCmdIndicateUpgrade, kCameraUnit, 1);
}

int CameraCommands::setUgMode(uint8_t mode)
{
    return blockingResult(command_, UvcCommand::Inited | UvcCommand::NotNetMode, kCmdUpgradeMode,
                          kSystem, mode);
}

int CameraCommands::cameraPrepareLog()
{
    if (!command_.allowed(kCommandGuards))
        return -1;
    bool first = true;
    int outcome = 0;
    for (const char* line : kLogLines) {
        if (!first)
            Util::delayMs(control_.timing().logPrepareWaitMs, 100);
        first = false;
        ProtocolMsg::FrmPacket frame;
        if (!makeShellFrame(QByteArray(line), frame)) {
            outcome = -1;
            continue;
        }
        // A camera in upgrade mode has no queue running: write it at once.
        MessagePort& channel = command_.channel();
        const MessagePort::ErrorType result = command_.upgradeMode()
            ? channel.sendMsgAsyncDirectly(frame)
            : channel.sendMsgAsync(frame, true);
        if (result != MessagePort::ErrSuccess) {
            // The second line is still tried, but the logs are not in place.
            qCritical() << "Send shell line failed, ret_val =" << result << line;
            outcome = -1;
        }
    }
    return outcome;
}

} // namespace pc
} // namespace vesk
