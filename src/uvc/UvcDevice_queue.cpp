// The send queue and the device thread: numbering and queueing frames, one
// write and at most one read per pass, reply matching and delivery.

#include "uvc/UvcDevice.h"

#include "uvc/ReplyRelay.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMetaObject>
#include <QMutexLocker>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kResultOffset = ProtocolMsg::kHeaderSize;  // reply byte 12
constexpr int kDataOffset = kResultOffset + 1;
constexpr int kNoResult = -1;  // a reply too short to carry a result code

// Calls receiver's method by name with the arguments a reply gave.
void invokeByName(QObject* receiver, const QByteArray& method, const QVariantList& arguments)
{
    QGenericArgument args[5];
    for (int i = 0; i < arguments.size() && i < 5; ++i)
        args[i] = QGenericArgument(arguments[i].typeName(), arguments[i].constData());
    if (!QMetaObject::invokeMethod(receiver, method.constData(), Qt::DirectConnection, args[0],
                                   args[1], args[2], args[3], args[4]))
        qWarning() << "Failed to invoke" << method << "on the receiver";
}

float floatLe(const uint8_t* at)
{
    uint32_t bits = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16
                    | uint32_t(at[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QVariantList decodeAiShortStatus(const uint8_t* data)
{
    const int third = data[32] >= 3 ? 0 : data[32];
    const int fourth = data[37] >= 3 ? 0 : data[37];
    const float ratio = floatLe(data + 33);
    qDebug() << "AI Status: " << data[30] << data[31] << third << fourth << ratio;
    return {int(data[30]), int(data[31]), third, fourth, ratio};
}

QVariantList decodeFirstByte(const uint8_t* data)
{
    return {int(data[0])};
}

// Replies that are handed to a receiver, by command word.
struct ReplyDecoder
{
    uint16_t command;
    int dataNeeded;  // data bytes the decoding reads
    const char* errorText;
    QVariantList (*decode)(const uint8_t* data);
};

const ReplyDecoder kReplyDecoders[] = {
    {0x3092, 38, "in cmd set AI, cmd id AI_FETCH_SHORT_STATUS", decodeAiShortStatus},
    {0x11D2, 1, "in cmd set Camera, cmd id GET_CAMERA_FACEFOCUS", decodeFirstByte},
    {0x13C2, 1, "in cmd set Camera, cmd id SET_CAMERA_DEVSTATUS", decodeFirstByte},
};

const ReplyDecoder* decoderFor(uint16_t command)
{
    for (const ReplyDecoder& decoder : kReplyDecoders) {
        if (decoder.command == command)
            return &decoder;
    }
    return nullptr;
}

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

UvcDevice::ErrorType UvcDevice::checkBeforeSend(const ProtocolMsg::FrmPacket& frame, bool direct) const
{
    if (devMode() == DevModeNet) {
        qCritical() << "Net mode not supported";
        return ErrNetModeNotSupported;
    }
    if (!interfaceOpen_) {
        qWarning() << "uvc device" << "not open yet!";
        return ErrDevNotOpen;
    }
    if (frame.length() > ProtocolMsg::kMaxFrameLength) {
        if (direct)
            qWarning() << "Data len" << frame.length() << "> uvc max payload len"
                       << ProtocolMsg::kMaxFrameLength;
        else
            qWarning("Data len %d > uvc max payload len %d", frame.length(),
                     ProtocolMsg::kMaxFrameLength);
        return ErrDataTooLong;
    }
    return ErrSuccess;
}

UvcDevice::SendPacket UvcDevice::prepareEntry(const ProtocolMsg::FrmPacket& frame, uint8_t flagsToSet,
                                              uint8_t flagsToClear)
{
    ProtocolMsg::FrmPacket copy = frame;
    copy.setFlags(uint8_t((copy.flags() | flagsToSet) & ~flagsToClear));
    SendPacket entry;
    entry.sequence = protocol_.nextSequence();
    entry.length = copy.length();
    copy.setSequence(entry.sequence);
    protocol_.frmHeaderProcessForSend(copy);
    entry.frame = QByteArray(reinterpret_cast<const char*>(copy.bytes), entry.length);
    return entry;
}

bool UvcDevice::waitForReply(WaitRecord& waiter, int timeoutMs) const
{
    QDeadlineTimer deadline(qMax(timeoutMs, 0));
    QMutexLocker lock(&waiter.mutex);
    while (!waiter.done) {
        if (!waiter.condition.wait(&waiter.mutex, deadline))
            break;
    }
    return waiter.done;
}

void UvcDevice::markForResend(const WaitRecord* waiter)
{
    QMutexLocker lock(&queueMutex_);
    for (SendPacket& entry : queue_) {
        if (entry.waiter == waiter) {
            qDebug() << "Try to resend packet: seq =" << entry.sequence << ", flag ="
                     << (entry.sent ? "true" : "false");
            entry.sent = false;
            return;
        }
    }
}

void UvcDevice::takeOutEntry(const WaitRecord* waiter)
{
    QMutexLocker lock(&queueMutex_);
    for (int i = 0; i < queue_.size(); ++i) {
        if (queue_[i].waiter == waiter) {
            queue_.removeAt(i);
            return;
        }
    }
}

UvcDevice::ErrorType UvcDevice::sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response)
{
    const ErrorType refused = checkBeforeSend(frame, false);
    if (refused != ErrSuccess)
        return refused;
    WaitRecord waiter;
    SendPacket entry = prepareEntry(frame, 0, 0);
    entry.response = &waiter.data;
    entry.waiter = &waiter;
    {
        QMutexLocker lock(&queueMutex_);
        queue_.append(entry);
    }
    const int waitMs = timing().replyWaitMs;
    bool answered = waitForReply(waiter, waitMs);
    if (!answered) {
        markForResend(&waiter);
        answered = waitForReply(waiter, waitMs);
    }
    takeOutEntry(&waiter);  // from here on the device thread cannot reach the record

    QMutexLocker lock(&waiter.mutex);
    if (!answered)
        return ErrNoReply;
    if (waiter.result == 0) {
        response = waiter.data;
        return ErrSuccess;
    }
    return waiter.result == ErrNoReply ? ErrNoReply : ErrErrorReply;
}

UvcDevice::ErrorType UvcDevice::sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame,
                                                    QSharedPointer<QString> method, QObject* receiver)
{
    const ErrorType refused = checkBeforeSend(frame, false);
    if (refused != ErrSuccess)
        return refused;
    SendPacket entry = prepareEntry(frame, 0, 0);
    entry.hasReceiver = true;
    entry.receiver = receiver;
    entry.method = method;
    if (receiver && method) {
        entry.relay = QSharedPointer<ReplyRelay>::create();
        const QByteArray name = method->toUtf8();
        // The receiver is the connection's context: the call runs in its thread
        // and is dropped with the connection if it is destroyed first.
        connect(entry.relay.data(), &ReplyRelay::replied, receiver,
                [receiver, name](const QVariantList& arguments) {
                    invokeByName(receiver, name, arguments);
                },
                Qt::QueuedConnection);
    }
    QMutexLocker lock(&queueMutex_);
    queue_.append(entry);
    return ErrSuccess;
}

UvcDevice::ErrorType UvcDevice::sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse)
{
    const ErrorType refused = checkBeforeSend(frame, false);
    if (refused != ErrSuccess)
        return refused;
    const SendPacket entry = needResponse
        ? prepareEntry(frame, ProtocolMsg::kFlagWantResponse, 0)
        : prepareEntry(frame, 0, ProtocolMsg::kFlagWantResponse);
    QMutexLocker lock(&queueMutex_);
    queue_.append(entry);
    return ErrSuccess;
}

UvcDevice::ErrorType UvcDevice::sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame)
{
    const ErrorType refused = checkBeforeSend(frame, true);
    if (refused != ErrSuccess)
        return refused;
    ProtocolMsg::FrmPacket copy = frame;
    copy.setSequence(protocol_.nextSequence());
    protocol_.frmHeaderProcessForSend(copy);
    QByteArray block = ProtocolMsg::wireBlock(copy);
    const int moved = setDataWithLengthSelectorUnitId(reinterpret_cast<uint8_t*>(block.data()),
                                                      kXuTransferLength, kXuMessageSelector,
                                                      UvcUnitKind::ExtensionUnit,
                                                      unitIdFor(UvcUnitKind::ExtensionUnit));
    if (moved != kXuTransferLength) {
        qWarning("UVC_SET failed, expected len %d != sended len %d, retry", kXuTransferLength, moved);
        return ErrDirectWriteFailed;
    }
    return ErrSuccess;
}

int UvcDevice::queuedCount() const
{
    QMutexLocker lock(&queueMutex_);
    return queue_.size();
}

bool UvcDevice::sleepPass(int ms)
{
    QDeadlineTimer deadline(qMax(ms, 0));
    QMutexLocker lock(&passMutex_);
    while (running_ && !deadline.hasExpired())
        passCondition_.wait(&passMutex_, deadline);
    return running_;
}

void UvcDevice::run()
{
    if (devMode() == DevModeNet) {
        qCritical() << "Net mode not supported";
        return;
    }
    while (running_) {
        if (devMode() == DevModeUvcUpgrade) {
            sleepPass(timing().upgradePauseMs);
            continue;
        }
        if (!sleepPass(timing().passMs))
            break;
        onePass();
    }
}

void UvcDevice::onePass()
{
    runPictureTransfer();
    rx_msg();
    txOnePacket();
    pollStatus();
}

void UvcDevice::txOnePacket()
{
    QByteArray block(kXuTransferLength, '\0');
    int length = 0;
    {
        QMutexLocker lock(&queueMutex_);
        for (int i = 0; i < queue_.size(); ++i) {
            SendPacket& entry = queue_[i];
            if (entry.sent)
                continue;
            length = entry.length;
            std::memcpy(block.data(), entry.frame.constData(), size_t(entry.frame.size()));
            entry.sent = true;
            if (!entry.waiter && !entry.hasReceiver)
                queue_.removeAt(i);
            break;
        }
    }
    if (length == 0)
        return;
    const int moved = setDataWithLengthSelectorUnitId(reinterpret_cast<uint8_t*>(block.data()),
                                                      kXuTransferLength, kXuMessageSelector,
                                                      UvcUnitKind::ExtensionUnit,
                                                      unitIdFor(UvcUnitKind::ExtensionUnit));
    if (moved != kXuTransferLength)
        qWarning("UVS_SET failed, expected len %d != sent len %d", length, moved);
}

bool UvcDevice::readIsDue()
{
    const int scanLimit = timing().receiverScans;
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

void UvcDevice::rx_msg()
{
    if (!readIsDue())
        return;
    uint8_t block[kXuTransferLength] = {};
    const int received = getDataByTypeLengthSelectorUnitId(block, int(UvcRequest::GetCur),
                                                           kXuTransferLength, kXuMessageSelector,
                                                           UvcUnitKind::ExtensionUnit,
                                                           unitIdFor(UvcUnitKind::ExtensionUnit));
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

void UvcDevice::deliverReply(uint8_t* block)
{
    ProtocolMsg::FrmPacket reply;
    std::memcpy(reply.bytes, block, kXuTransferLength);
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

void UvcDevice::parseRecvData(const ProtocolMsg::FrmPacket& reply, const SendPacket& entry)
{
    const uint16_t command = reply.command();
    const ReplyDecoder* decoder = decoderFor(command);
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
    emit entry.relay->replied(decoder->decode(reply.bytes + kDataOffset));
}

void UvcDevice::pollStatus()
{
    if (systemType_ != 1 || devMode() != DevModeUvc)
        return;
    const int before = statusPollCounter_.fetch_add(1);
    if (before < timing().statusPollPasses - 1)
        return;
    // Reset only the value this pass left: a postponement the window wrote
    // meanwhile (a negative counter) must survive.
    int expected = before + 1;
    if (!statusPollCounter_.compare_exchange_strong(expected, 0))
        return;
    CameraStatus status;
    if (getCameraStatus(status) && statusReport_)
        emit devStateUpdate(status);
}

} // namespace pc
} // namespace vesk
