#include "uvc/UvcCommand.h"

#include <QDebug>
#include <QtEndian>

#include <functional>
#include <utility>

#include <cmath>
#include <cstring>
#include <limits>

namespace vesk {
namespace pc {

namespace {

using State = UvcCommand::DeviceState;

// One guard: its flag, the state that refuses (when it is false, or when
// true for the modes), and the line logged then.
struct GuardRow
{
    UvcCommand::Guard guard;
    std::function<bool()> State::*test;
    bool refusesWhen;
    QtMsgType level;
    const char* text;
};

// In the order the tests run.
const GuardRow kGuards[] = {
    {UvcCommand::Inited, &State::inited, false, QtWarningMsg, "Device has not been inited"},
    {UvcCommand::NotNetMode, &State::netMode, true, QtCriticalMsg, "Net mode not supported"},
    {UvcCommand::MainSystem, &State::mainSystem, false, QtWarningMsg, "Only supported in main sys"},
    // Only the upgrade selectors may be used while the camera upgrades.
    {UvcCommand::NotUpgrade, &State::upgradeMode, true, QtWarningMsg,
     "Not supported in upgrade mode"},
};

template <typename T>
void appendLittleEndian(QByteArray& payload, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    payload.append(bytes, int(sizeof bytes));
}

} // namespace

UvcCommand::UvcCommand(MessagePort& channel, DeviceState state)
    : channel_(channel)
    , state_(std::move(state))
{
}

bool UvcCommand::passes(Guards guards) const
{
    for (const GuardRow& row : kGuards) {
        if (!guards.testFlag(row.guard) || (state_.*row.test)() != row.refusesWhen)
            continue;
        if (row.level == QtCriticalMsg)
            qCritical() << row.text;
        else
            qWarning() << row.text;
        return false;
    }
    return true;
}

bool UvcCommand::allowed(Guards first, Guards then) const
{
    return passes(first) && passes(then);
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

int UvcCommand::sendAsync(ProtocolMsg::FrmPacket& frame)
{
    const MessagePort::ErrorType result = channel_.sendMsgAsync(frame, false);
    if (result == MessagePort::ErrSuccess)
        return 0;
    qCritical() << "Error occurred in sendMsgAsync, ret_val =" << result;
    return -1;
}

int UvcCommand::queue(Guards guards, uint16_t command, uint8_t receiver, const QByteArray& payload)
{
    if (!allowed(guards))
        return -1;
    ProtocolMsg::FrmPacket request = frame(command, receiver, payload);
    return sendAsync(request);
}

int UvcCommand::query(Guards guards, uint16_t command, uint8_t receiver, const QByteArray& payload,
                      QByteArray& data, int dataNeeded)
{
    if (!allowed(guards))
        return -1;
    ProtocolMsg::FrmPacket request = frame(command, receiver, payload);
    return sendSync(request, data, dataNeeded);
}

int UvcCommand::sendSync(ProtocolMsg::FrmPacket& frame, QByteArray& data, int dataNeeded)
{
    QByteArray reply;
    const MessagePort::ErrorType result = channel_.sendMsgSync(frame, reply);
    if (result != MessagePort::ErrSuccess) {
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
