#include "uvc/UvcCommand.h"

#include "uvc/UvcDevice.h"

#include <QDebug>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace vesk {
namespace pc {

namespace {

// One guard: its flag, the test that refuses, and the line logged then.
struct GuardRow
{
    UvcCommand::Guard guard;
    bool (*refuses)(const UvcDevice& device);
    QtMsgType level;
    const char* text;
};

// In the order the tests run.
const GuardRow kGuards[] = {
    {UvcCommand::Inited, [](const UvcDevice& d) { return !d.isInited(); }, QtWarningMsg,
     "Device has not been inited"},
    {UvcCommand::NotNetMode,
     [](const UvcDevice& d) { return d.devMode() == UvcDevice::DevModeNet; }, QtCriticalMsg,
     "Net mode not supported"},
    {UvcCommand::MainSystem, [](const UvcDevice& d) { return d.systemType() != 1; }, QtWarningMsg,
     "Only supported in main sys"},
    // Only the upgrade selectors may be used while the camera upgrades.
    {UvcCommand::NotUpgrade,
     [](const UvcDevice& d) { return d.devMode() == UvcDevice::DevModeUvcUpgrade; }, QtWarningMsg,
     "Not supported in upgrade mode"},
};

template <typename T>
void appendLittleEndian(QByteArray& payload, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    payload.append(bytes, int(sizeof bytes));
}

bool passes(const UvcDevice& device, UvcCommand::Guards guards)
{
    for (const GuardRow& row : kGuards) {
        if (!guards.testFlag(row.guard) || !row.refuses(device))
            continue;
        if (row.level == QtCriticalMsg)
            qCritical() << row.text;
        else
            qWarning() << row.text;
        return false;
    }
    return true;
}

} // namespace

bool UvcCommand::allowed(const UvcDevice& device, Guards first, Guards then)
{
    return passes(device, first) && passes(device, then);
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

int UvcCommand::queue(UvcDevice& device, Guards guards, uint16_t command, uint8_t receiver,
                      const QByteArray& payload)
{
    if (!allowed(device, guards))
        return -1;
    ProtocolMsg::FrmPacket request = frame(command, receiver, payload);
    return sendAsync(device, request);
}

int UvcCommand::query(UvcDevice& device, Guards guards, uint16_t command, uint8_t receiver,
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
    appendLittleEndian(payload, uint16_t(value));
}

void UvcCommand::appendI32(QByteArray& payload, int32_t value)
{
    appendLittleEndian(payload, uint32_t(value));
}

void UvcCommand::appendFloat(QByteArray& payload, float value)
{
    appendLittleEndian(payload, value);
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
    return int16_t(qFromLittleEndian<uint16_t>(data.constData() + offset));
}

float UvcCommand::floatAt(const QByteArray& data, int offset)
{
    return qFromLittleEndian<float>(data.constData() + offset);
}

} // namespace pc
} // namespace vesk
