#pragma once

#include "uvc/MessagePort.h"
#include "uvc/ProtocolMsg.h"

#include <QByteArray>
#include <QFlags>

#include <cstdint>
#include <functional>

namespace vesk {
namespace pc {

// What the command parts of a camera share: the guards they open with,
// frames built from a command word and a little-endian payload, and the
// send results on the message port turned into the commands' 0 / -1.
class UvcCommand
{
public:
    // The tests a command opens with.
    enum Guard : unsigned {
        Inited = 1,
        NotNetMode = 2,
        MainSystem = 4,
        NotUpgrade = 8,  // direct transfers only
    };
    Q_DECLARE_FLAGS(Guards, Guard)

    // The camera object's state that the guards test, asked at each test.
    struct DeviceState
    {
        std::function<bool()> inited;
        std::function<bool()> netMode;
        std::function<bool()> mainSystem;
        std::function<bool()> upgradeMode;
    };

    UvcCommand(MessagePort& channel, DeviceState state);

    // Tests first's guards, then those of then, each set in the order
    // above; the first failing test is logged. then serves the commands
    // whose camera tests out of that order.
    bool allowed(Guards first, Guards then = Guards()) const;
    bool upgradeMode() const { return state_.upgradeMode(); }
    MessagePort& channel() { return channel_; }

    // A request frame from the host to receiver (1 camera, 2 gimbal, 3 AI,
    // 8 system) with the payload from byte 12.
    static ProtocolMsg::FrmPacket frame(uint16_t command, uint8_t receiver,
                                        const QByteArray& payload = QByteArray());

    // Queued without a reply; 0, or -1 logged with the send result.
    int sendAsync(ProtocolMsg::FrmPacket& frame);
    // The guards, then the frame queued as above.
    int queue(Guards guards, uint16_t command, uint8_t receiver,
              const QByteArray& payload = QByteArray());
    // Waits for the reply's data bytes; 0 only when at least dataNeeded came.
    int sendSync(ProtocolMsg::FrmPacket& frame, QByteArray& data, int dataNeeded);
    // The guards, then the frame sent and its reply's data waited for as above.
    int query(Guards guards, uint16_t command, uint8_t receiver, const QByteArray& payload,
              QByteArray& data, int dataNeeded);

    // Payload pieces, little-endian.
    static void appendU8(QByteArray& payload, int value);
    static void appendI16(QByteArray& payload, int value);
    static void appendI32(QByteArray& payload, int32_t value);
    static void appendFloat(QByteArray& payload, float value);
    // value × 100 truncated toward zero; values beyond the int range are held
    // at its ends so the conversion stays defined (the payload keeps 16 bits).
    static int hundredths(double value);

    static int16_t i16At(const QByteArray& data, int offset);
    static float floatAt(const QByteArray& data, int offset);

private:
    bool passes(Guards guards) const;

    MessagePort& channel_;
    const DeviceState state_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(UvcCommand::Guards)

// What most protocol commands open with.
constexpr UvcCommand::Guards kCommandGuards =
    UvcCommand::Inited | UvcCommand::NotNetMode | UvcCommand::MainSystem;
// What the direct transfers open with; their camera tests the system type
// after these.
constexpr UvcCommand::Guards kTransferGuards =
    UvcCommand::Inited | UvcCommand::NotNetMode | UvcCommand::NotUpgrade;

} // namespace pc
} // namespace vesk
