// The sends: numbering and queueing frames, and the blocking sender's wait
// with its one resend.

#include "uvc/MessageChannel.h"

#include "uvc/ExtensionUnit.h"

#include "uvc/ReplyRelay.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMetaObject>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

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

} // namespace

MessageChannel::MessageChannel(ControlPort& port, Hooks hooks)
    : port_(port)
    , hooks_(std::move(hooks))
{
}

MessageChannel::~MessageChannel()
{
    QMutexLocker lock(&queueMutex_);
    queue_.clear();
}

bool MessageChannel::ask(const std::function<bool()>& hook, bool otherwise)
{
    return hook ? hook() : otherwise;
}

MessageChannel::ErrorType MessageChannel::checkBeforeSend(const ProtocolMsg::FrmPacket& frame,
                                                          bool direct) const
{
    if (ask(hooks_.netMode, false)) {
        qCritical() << "Net mode not supported";
        return ErrNetModeNotSupported;
    }
    if (!ask(hooks_.interfaceOpen, true)) {
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

MessageChannel::SendPacket MessageChannel::prepareEntry(const ProtocolMsg::FrmPacket& frame,
                                                        uint8_t flagsToSet, uint8_t flagsToClear)
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

void MessageChannel::enqueue(const SendPacket& entry)
{
    QMutexLocker lock(&queueMutex_);
    queue_.append(entry);
}

bool MessageChannel::waitForReply(WaitRecord& waiter, int timeoutMs) const
{
    QDeadlineTimer deadline(qMax(timeoutMs, 0));
    QMutexLocker lock(&waiter.mutex);
    while (!waiter.done) {
        if (!waiter.condition.wait(&waiter.mutex, deadline))
            break;
    }
    return waiter.done;
}

void MessageChannel::markForResend(const WaitRecord* waiter)
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

void MessageChannel::takeOutEntry(const WaitRecord* waiter)
{
    QMutexLocker lock(&queueMutex_);
    for (int i = 0; i < queue_.size(); ++i) {
        if (queue_[i].waiter == waiter) {
            queue_.removeAt(i);
            return;
        }
    }
}

MessageChannel::ErrorType MessageChannel::sendMsgSync(ProtocolMsg::FrmPacket& frame,
                                                      QByteArray& response)
{
    const ErrorType refused = checkBeforeSend(frame, false);
    if (refused != ErrSuccess)
        return refused;
    WaitRecord waiter;
    SendPacket entry = prepareEntry(frame, 0, 0);
    entry.response = &waiter.data;
    entry.waiter = &waiter;
    enqueue(entry);
    const int waitMs = port_.timing().replyWaitMs;
    bool answered = waitForReply(waiter, waitMs);
    if (!answered) {
        markForResend(&waiter);
        answered = waitForReply(waiter, waitMs);
    }
    takeOutEntry(&waiter);  // from here on the device thread cannot reach the record

    QMutexLocker lock(&waiter.mutex);
    // Unanswered: a frame the camera never got is told apart from one it
    // left without answer.
    if (!answered)
        return waiter.written ? ErrNoReply : ErrDirectWriteFailed;
    if (waiter.result == 0) {
        response = waiter.data;
        return ErrSuccess;
    }
    return waiter.result == ErrNoReply ? ErrNoReply : ErrErrorReply;
}

MessageChannel::ErrorType MessageChannel::sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame,
                                                              QSharedPointer<QString> method,
                                                              QObject* receiver)
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
        QObject::connect(entry.relay.data(), &ReplyRelay::replied, receiver,
                         [receiver, name](const QVariantList& arguments) {
                             invokeByName(receiver, name, arguments);
                         },
                         Qt::QueuedConnection);
    }
    enqueue(entry);
    return ErrSuccess;
}

MessageChannel::ErrorType MessageChannel::sendMsgAsync(ProtocolMsg::FrmPacket& frame,
                                                       bool needResponse)
{
    const ErrorType refused = checkBeforeSend(frame, false);
    if (refused != ErrSuccess)
        return refused;
    enqueue(needResponse ? prepareEntry(frame, ProtocolMsg::kFlagWantResponse, 0)
                         : prepareEntry(frame, 0, ProtocolMsg::kFlagWantResponse));
    return ErrSuccess;
}

MessageChannel::ErrorType MessageChannel::sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame)
{
    const ErrorType refused = checkBeforeSend(frame, true);
    if (refused != ErrSuccess)
        return refused;
    ProtocolMsg::FrmPacket copy = frame;
    copy.setSequence(protocol_.nextSequence());
    protocol_.frmHeaderProcessForSend(copy);
    QByteArray block = ProtocolMsg::wireBlock(copy);
    const int moved = writeBlock(reinterpret_cast<uint8_t*>(block.data()));
    if (moved != ExtensionUnit::kBlockSize) {
        qWarning("UVC_SET failed, expected len %d != sended len %d, retry",
                 ExtensionUnit::kBlockSize, moved);
        return ErrDirectWriteFailed;
    }
    return ErrSuccess;
}

int MessageChannel::queuedCount() const
{
    QMutexLocker lock(&queueMutex_);
    return queue_.size();
}

} // namespace pc
} // namespace vesk
