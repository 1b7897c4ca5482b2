#pragma once

#include "uvc/ProtocolMsg.h"

#include <QByteArray>
#include <QObject>
#include <QSharedPointer>
#include <QString>

namespace vesk {
namespace pc {

// Results of a send on the message channel, and how a query waits for its
// reply: blocking, or handed later to a receiver's method.
struct MessageResult
{
    enum GetMethod { GetMethodBlock = 0, GetMethodNonBlock = 1 };

    enum ErrorType {
        ErrSuccess = 0,
        ErrNetModeNotSupported = 1,
        ErrDevNotOpen = 2,
        ErrDataTooLong = 3,
        ErrDirectWriteFailed = 4,
        ErrNoReply = 5,
        ErrErrorReply = 6,
    };
};

// What the parts of a camera object need of its message channel: the sends,
// and the device thread's passes (a part that runs on the device thread
// pauses through sleepPass, which ends early when the camera closes).
class MessagePort : public MessageResult
{
public:
    virtual ~MessagePort() = default;

    // The caller's frame is never changed: each send numbers and prepares
    // its own copy.
    virtual ErrorType sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response) = 0;
    virtual ErrorType sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame,
                                          QSharedPointer<QString> method, QObject* receiver) = 0;
    virtual ErrorType sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse) = 0;
    virtual ErrorType sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame) = 0;

    // Sleeps up to ms; false when the channel is closing.
    virtual bool sleepPass(int ms) = 0;
    // False once the channel is closing: long transfers end on it.
    virtual bool channelRunning() const = 0;
};

} // namespace pc
} // namespace vesk
