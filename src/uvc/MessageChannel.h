#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/ProtocolMsg.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QRecursiveMutex>
#include <QSharedPointer>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <functional>

namespace vesk {
namespace pc {

class ReplyRelay;

// A camera's message channel over its control port: the send queue, the
// frames' numbering, and the passes of the device thread, each one write
// and at most one read on extension-unit selector 2, with resends, reply
// matching and delivery to waiting senders and to receivers by method name.
// The thread itself belongs to the caller, which runs runPasses on it.
class MessageChannel : public MessagePort
{
public:
    // What the channel asks of the camera it serves. Each is optional.
    struct Hooks
    {
        std::function<bool()> netMode;        // sends refused, no passes
        std::function<bool()> upgradeMode;    // the queue is held
        std::function<bool()> interfaceOpen;  // sends refused while false
        std::function<void()> beforeRead;     // a pass's first duty
        std::function<void()> afterWrite;     // a pass's last duty
    };

    MessageChannel(ControlPort& port, Hooks hooks = Hooks());
    ~MessageChannel() override;

    ErrorType sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response) override;
    ErrorType sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame, QSharedPointer<QString> method,
                                  QObject* receiver) override;
    ErrorType sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse) override;
    ErrorType sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame) override;
    bool sleepPass(int ms) override;
    bool channelRunning() const override { return running_; }

    int queuedCount() const;
    ProtocolMsg& protocol() { return protocol_; }

    // Passes until stop; run on the device thread.
    void runPasses();
    // Lets passes run again after a stop.
    void resume() { running_ = true; }
    // Ends the passes and cuts a pass's sleep short. A blocking sender
    // still ends its own waits: a departure is announced before it returns.
    void stop();
    // One pass; runPasses calls it after each pause.
    void onePass();

private:
    struct WaitRecord
    {
        QMutex mutex;
        QWaitCondition condition;
        bool done = false;
        bool written = false;  // a copy reached the camera
        int result = 0;
        QByteArray data;
    };

    struct SendPacket
    {
        QByteArray frame;  // wire form, the frame's length of bytes
        int length = 0;
        uint16_t sequence = 0;
        bool sent = false;
        QByteArray* response = nullptr;  // blocking sends only
        WaitRecord* waiter = nullptr;    // blocking sends only
        bool hasReceiver = false;        // non-blocking sends only
        QPointer<QObject> receiver;
        QSharedPointer<QString> method;
        QSharedPointer<ReplyRelay> relay;
        int polls = 0;
    };

    static bool ask(const std::function<bool()>& hook, bool otherwise);
    ErrorType checkBeforeSend(const ProtocolMsg::FrmPacket& frame, bool direct) const;
    SendPacket prepareEntry(const ProtocolMsg::FrmPacket& frame, uint8_t flagsToSet,
                            uint8_t flagsToClear);
    void enqueue(const SendPacket& entry);
    bool waitForReply(WaitRecord& waiter, int timeoutMs) const;
    void markForResend(const WaitRecord* waiter);
    void takeOutEntry(const WaitRecord* waiter);
    int writeBlock(uint8_t* block);
    void noteWritten(const WaitRecord* waiter, uint16_t sequence);
    void txOnePacket();
    void rx_msg();
    bool readIsDue();
    void deliverReply(const uint8_t* block);
    void parseRecvData(const ProtocolMsg::FrmPacket& reply, const SendPacket& entry);

    ControlPort& port_;
    const Hooks hooks_;
    ProtocolMsg protocol_;
    std::atomic<bool> running_{true};

    mutable QRecursiveMutex queueMutex_;
    QList<SendPacket> queue_;

    QMutex passMutex_;  // lets stop cut a pass's sleep short
    QWaitCondition passCondition_;
};

} // namespace pc
} // namespace vesk
