// The device thread's passes: one write and at most one read each, reply
// matching, and delivery to waiting senders and to receivers.

#include "uvc/MessageChannel.h"

#include "uvc/ExtensionUnit.h"

#include "uvc/ReplyDecoders.h"
#include "uvc/ReplyRelay.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMutexLocker>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kResultOffset = ProtocolMsg::kHeaderSize;  // reply byte 12
constexpr int kDataOffset = kResultOffset + 1;
constexpr int kNoResult = -1;  // a reply too short to carry a result code

void logUnknownCommand(uint16_t command)
{
    const int set = command >> 12;
    const int id = command & 0x0FFF;
    if (set == 3)
        qCritical() << "Unknown cmd id =" << id << "in AI cmd set";
    else if (set == 1)
        qCritical() << "Unknown cmd id =" << id << "in Camera cmd set";
    else
        qCritical() << "Unknown cmd set =" << set;
}

} // namespace

bool MessageChannel::sleepPass(int ms)
{
    QDeadlineTimer deadline(qMax(ms, 0));
    QMutexLocker lock(&passMutex_);
    while (running_ && !deadline.hasExpired())
        passCondition_.wait(&passMutex_, deadline);
    return running_;
}

void MessageChannel::stop()
{
    QMutexLocker lock(&passMutex_);
    running_ = false;
    passCondition_.wakeAll();
}

void MessageChannel::runPasses()
{
    if (ask(hooks_.netMode, false)) {
        qCritical() << "Net mode not supported";
        return;
    }
    while (running_) {
        if (ask(hooks_.upgradeMode, false)) {
            sleepPass(port_.timing().upgradePauseMs);
            continue;
        }
        if (!sleepPass(port_.timing().passMs))
            break;
        onePass();
    }
}

void MessageChannel::onePass()
{
    if (hooks_.beforeRead)
        hooks_.beforeRead();
    rx_msg();
    txOnePacket();
    if (hooks_.afterWrite)
        hooks_.afterWrite();
}

int MessageChannel::writeBlock(uint8_t* block)
{
    return port_.setDataWithLengthSelectorUnitId(block, ExtensionUnit::kBlockSize,
                                                 ExtensionUnit::kMessageSelector,
                                                 UvcUnitKind::ExtensionUnit,
                                                 port_.unitIdFor(UvcUnitKind::ExtensionUnit));
}

void MessageChannel::txOnePacket()
{
    QByteArray block(ExtensionUnit::kBlockSize, '\0');
    int length = 0;
    const WaitRecord* waiter = nullptr;
    uint16_t sequence = 0;
    {
        QMutexLocker lock(&queueMutex_);
        // Asked again with the queue in hand: a frame queued after the hold
        // began waits, even in the pass that was under way then.
        if (ask(hooks_.upgradeMode, false))
            return;
        for (int i = 0; i < queue_.size(); ++i) {
            SendPacket& entry = queue_[i];
            if (entry.sent)
                continue;
            length = entry.length;
            waiter = entry.waiter;
            sequence = entry.sequence;
            std::memcpy(block.data(), entry.frame.constData(), size_t(entry.frame.size()));
            entry.sent = true;
            if (!entry.waiter && !entry.hasReceiver)
                queue_.removeAt(i);
            break;
        }
    }
    if (length == 0)
        return;
    const int moved = writeBlock(reinterpret_cast<uint8_t*>(block.data()));
    if (moved != ExtensionUnit::kBlockSize) {
        qWarning("UVS_SET failed, expected len %d != sent len %d", length, moved);
        return;
    }
    if (waiter)
        noteWritten(waiter, sequence);
}

// The record lives as long as its entry is queued: its sender takes the
// entry out, under the queue's lock, before the record goes.
void MessageChannel::noteWritten(const WaitRecord* waiter, uint16_t sequence)
{
    QMutexLocker lock(&queueMutex_);
    for (SendPacket& entry : queue_) {
        if (entry.waiter != waiter || entry.sequence != sequence)
            continue;
        QMutexLocker waitLock(&entry.waiter->mutex);
        entry.waiter->written = true;
        return;
    }
}

bool MessageChannel::readIsDue()
{
    const int scanLimit = port_.timing().receiverScans;
    QMutexLocker lock(&queueMutex_);
    for (int i = 0; i < queue_.size();) {
        SendPacket& entry = queue_[i];
        if (!entry.sent) {
            ++i;
            continue;
        }
        if (entry.polls++ == 0) {  // the pass right after a write never reads for it
            ++i;
            continue;
        }
        if (entry.hasReceiver && entry.polls >= scanLimit) {
            qDebug() << "No reply in time, request dropped: seq =" << entry.sequence;
            queue_.removeAt(i);
            continue;
        }
        if (entry.hasReceiver || entry.waiter)
            return true;
        ++i;
    }
    return false;
}

void MessageChannel::rx_msg()
{
    if (!readIsDue())
        return;
    uint8_t block[ExtensionUnit::kBlockSize] = {};
    const int received = port_.getDataByTypeLengthSelectorUnitId(
        block, int(UvcRequest::GetCur), ExtensionUnit::kBlockSize, ExtensionUnit::kMessageSelector,
        UvcUnitKind::ExtensionUnit, port_.unitIdFor(UvcUnitKind::ExtensionUnit));
    if (received < 0) {
        qWarning() << "UVC_GET failed: " << received;
        return;
    }
    const int check = protocol_.frmCheckAndParseForRecv(block, received);
    if (check == ProtocolMsg::RecvNoMagic || check == ProtocolMsg::RecvTooShort)
        return;  // the camera had nothing to say
    if (check != ProtocolMsg::RecvOk) {
        qCritical() << "Msg check failed, ret_val =" << check;
        return;
    }
    deliverReply(block);
}

void MessageChannel::deliverReply(const uint8_t* block)
{
    ProtocolMsg::FrmPacket reply;
    std::memcpy(reply.bytes, block, ExtensionUnit::kBlockSize);
    const int receiverNibble = reply.addresses() & 0x0F;
    if (receiverNibble != ProtocolMsg::kHostNibble) {
        qWarning() << "Invalid receiver:" << receiverNibble;
        return;
    }
    if (!(reply.flags() & ProtocolMsg::kFlagResponse)) {
        qWarning() << "Req frame is not supported at present";
        return;
    }
    const int length = reply.length();  // checked to lie in 12..60
    const int result = length > kResultOffset ? reply.bytes[kResultOffset] : kNoResult;
    const QByteArray data = length > kDataOffset
        ? QByteArray(reinterpret_cast<const char*>(reply.bytes + kDataOffset), length - kDataOffset)
        : QByteArray();

    QMutexLocker lock(&queueMutex_);
    for (int i = 0; i < queue_.size();) {
        SendPacket& entry = queue_[i];
        if (entry.sequence != reply.sequence()) {
            ++i;
            continue;
        }
        if (entry.waiter) {
            *entry.response = data;
            QMutexLocker waitLock(&entry.waiter->mutex);
            entry.waiter->result = result;
            entry.waiter->done = true;
            entry.waiter->condition.wakeAll();
            ++i;
        } else if (entry.hasReceiver) {
            parseRecvData(reply, entry);
            queue_.removeAt(i);
        } else {
            ++i;
        }
    }
}

void MessageChannel::parseRecvData(const ProtocolMsg::FrmPacket& reply, const SendPacket& entry)
{
    const uint16_t command = reply.command();
    const ReplyDecoders::Row* decoder = ReplyDecoders::find(command);
    if (!decoder) {
        logUnknownCommand(command);
        return;
    }
    const int length = reply.length();
    if (length <= kResultOffset) {
        qWarning() << "Reply without result code, cmd =" << Qt::hex << command;
        return;
    }
    const int code = reply.bytes[kResultOffset];
    if (code != 0) {
        qCritical() << "Error response =" << code << decoder->errorText;
        return;
    }
    if (length - kDataOffset < decoder->dataNeeded) {
        qWarning() << "Reply too short:" << length << "bytes, cmd =" << Qt::hex << command;
        return;
    }
    if (!entry.receiver || !entry.relay) {
        qDebug() << "Receiver gone, reply dropped: seq =" << entry.sequence;
        return;
    }
    emit entry.relay->replied(decoder->arguments(reply.bytes + kDataOffset));
}

} // namespace pc
} // namespace vesk
