#include "uvc/UvcCommand.h"

#include "uvc/UvcDevice.h"

#include <QDebug>

#include <cmath>
#include <cstring>
#include <limits>

namespace vesk {
namespace pc {

namespace {

// One guard: its letter, the test that refuses, and the line logged then.
struct Guard
{
    char letter;
    bool (*refuses)(const UvcDevice& device);
    QtMsgType level;
    const char* text;
};

const Guard kGuards[] = {
    {'I', [](const UvcDevice& d) { return !d.isInited(); }, QtWarningMsg, "Device has not been inited"},
    {'N', [](const UvcDevice& d) { return d.devMode() == UvcDevice::DevModeNet; }, QtCriticalMsg,
     "Net mode not supported"},
    {'S', [](const UvcDevice& d) { return d.systemType() != 1; }, QtWarningMsg,
     "Only supported in main sys"},
    // Only the upgrade selectors may be used while the camera upgrades.
    {'U', [](const UvcDevice& d) { return d.devMode() == UvcDevice::DevModeUvcUpgrade; },
     QtWarningMsg, "Not supported in upgrade mode"},
};

} // namespace

bool UvcCommand::allowed(const UvcDevice& device, const char* guards)
{
    for (const char* letter = guards; *letter; ++letter) {
        for (const Guard& guard : kGuards) {
            if (guard.letter != *letter || !guard.refuses(device))
                continue;
            if (guard.level == QtCriticalMsg)
                qCritical() << guard.text;
            else
                qWarning() << guard.text;
            return false;
        }
    }
    return true;
}

ProtocolMsg::FrmPacket UvcCommand::frame(uint16_t command, uint8_t receiver, const QByteArray& payload)
{
    ProtocolMsg::FrmPacket frame;
    frame.setAddresses(uint8_t(ProtocolMsg::kHostNibble << 4 | (receiver & 0x0F)));
    frame.setCommand(command);
    const int length = qMin(int(payload.size()), ProtocolMsg::kPayloadArea);
    std::memcpy(frame.payload(), payload.constData(), size_t(length));
    frame.setPayloadLength(length);
    return frame;
}

int UvcCommand::sendAsync(UvcDevice& device, ProtocolMsg::FrmPacket& frame)
{
    const UvcDevice::ErrorType result = device.sendMsgAsync(frame, false);
    if (result == UvcDevice::ErrSuccess)
        return 0;
    qCritical() << "Error occurred in sendMsgAsync, ret_val =" << result;
    return -1;
}

int UvcCommand::queue(UvcDevice& device, const char* guards, uint16_t command, uint8_t receiver,
                      const QByteArray& payload)
{
    if (!allowed(device, guards))
        return -1;
    ProtocolMsg::FrmPacket request = frame(command, receiver, payload);
    return sendAsync(device, request);
}

int UvcCommand::query(UvcDevice& device, const char* guards, uint16_t command, uint8_t receiver,
                      const QByteArray& payload, QByteArray& data, int dataNeeded)
{
    if (!allowed(device, guards))
        return -1;
    ProtocolMsg::FrmPacket request = frame(command, receiver, payload);
    return sendSync(device, request, data, dataNeeded);
}

int UvcCommand::sendSync(UvcDevice& device, ProtocolMsg::FrmPacket& frame, QByteArray& data,
                         int dataNeeded)
{
    QByteArray reply;
    const UvcDevice::ErrorType result = device.sendMsgSync(frame, reply);
    if (result != UvcDevice::ErrSuccess) {
        qCritical() << "Error occurred in sendMsgSync, ret_val =" << result;
        return -1;
    }
    if (reply.size() < dataNeeded) {
        qCritical() << "Reply too short:" << reply.size() << "data bytes, needed" << dataNeeded;
        return -1;
    }
    data = reply;
    return 0;
}

void UvcCommand::appendU8(QByteArray& payload, int value)
{
    payload.append(char(uint8_t(value)));
}

void UvcCommand::appendI16(QByteArray& payload, int value)
{
    payload.append(char(uint8_t(value)));
    payload.append(char(uint8_t(unsigned(value) >> 8)));
}

void UvcCommand::appendI32(QByteArray& payload, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        payload.append(char(uint8_t(uint32_t(value) >> (8 * i))));
}

void UvcCommand::appendFloat(QByteArray& payload, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendI32(payload, int32_t(bits));
}

int UvcCommand::hundredths(double value)
{
    const double scaled = std::trunc(value * 100.0);
    if (std::isnan(scaled))
        return 0;
    const double held = qBound(double(std::numeric_limits<int>::min()), scaled,
                               double(std::numeric_limits<int>::max()));
    return int(held);
}

int16_t UvcCommand::i16At(const QByteArray& data, int offset)
{
    const auto* at = reinterpret_cast<const uint8_t*>(data.constData()) + offset;
    return int16_t(uint16_t(at[0] | at[1] << 8));
}

float UvcCommand::floatAt(const QByteArray& data, int offset)
{
    const auto* at = reinterpret_cast<const uint8_t*>(data.constData()) + offset;
    const uint32_t bits = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16
                          | uint32_t(at[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace pc
} // namespace vesk
