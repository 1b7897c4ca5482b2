#pragma once

#include "uvc/ExtensionUnit.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace vesk {
namespace pc {

// The camera message protocol's frame: building the wire form of a request
// and checking a block read back. Also keeps the camera's sequence counter.
class ProtocolMsg : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHeaderSize = 12;
    static constexpr int kPayloadArea = 64;
    static constexpr int kMaxFrameLength = ExtensionUnit::kBlockSize;  // one transfer

    // Flags byte: bit 0 response, bit 1 response requested, bit 4 host request.
    static constexpr uint8_t kFlagResponse = 0x01;
    static constexpr uint8_t kFlagWantResponse = 0x02;
    static constexpr uint8_t kRequestFlags = 0x12;
    static constexpr uint8_t kHostNibble = 0x0E;

    // Results of frmCheckAndParseForRecv.
    enum RecvResult {
        RecvOk = 0,
        RecvNoMagic = 1,
        RecvTooShort = 2,
        RecvBadLength = 3,
        RecvBadCrc8 = 4,
        RecvBadCrc16 = 5,
    };

    // Memory image of one frame: 12 header bytes, then the payload area. In
    // host form the 16-bit header fields hold host-order values; in wire form
    // big-endian ones. Copyable as plain bytes.
    struct FrmPacket
    {
        uint8_t bytes[kHeaderSize + kPayloadArea];

        FrmPacket();

        uint16_t verLen() const { return u16(1); }
        int version() const { return verLen() >> 12; }
        int length() const { return verLen() & 0x0FFF; }
        void setVersionAndLength(int version, int length)
        {
            setU16(1, uint16_t((version & 0xF) << 12 | (length & 0x0FFF)));
        }
        void setPayloadLength(int payloadLength) { setVersionAndLength(version(), kHeaderSize + payloadLength); }
        uint8_t flags() const { return bytes[3]; }
        void setFlags(uint8_t flags) { bytes[3] = flags; }
        uint16_t sequence() const { return u16(4); }
        void setSequence(uint16_t sequence) { setU16(4, sequence); }
        uint16_t crc16() const { return u16(6); }
        uint8_t crc8() const { return bytes[8]; }
        uint8_t addresses() const { return bytes[9]; }
        void setAddresses(uint8_t addresses) { bytes[9] = addresses; }
        uint16_t command() const { return u16(10); }
        void setCommand(uint16_t command) { setU16(10, command); }
        uint8_t* payload() { return bytes + kHeaderSize; }
        const uint8_t* payload() const { return bytes + kHeaderSize; }

        uint16_t u16(int offset) const
        {
            uint16_t value;
            std::memcpy(&value, bytes + offset, sizeof value);
            return value;
        }
        void setU16(int offset, uint16_t value) { std::memcpy(bytes + offset, &value, sizeof value); }
    };

    explicit ProtocolMsg(QObject* parent = nullptr);

    // Host form to wire form in place: big-endian header fields, CRC-8 for
    // version 2 frames, then the CRC-16 over the frame.
    void frmHeaderProcessForSend(FrmPacket& frame);
    // Checks a block read from the camera; on 0 its header is in host form.
    int frmCheckAndParseForRecv(uint8_t* data, int received);
    // The 60-byte transfer of a frame in wire form: its length of bytes, then zeros.
    static QByteArray wireBlock(const FrmPacket& frame);

    // The next frame sequence number (wraps from 65535 to 0).
    uint16_t nextSequence() { return sequence_.fetch_add(1); }
    uint16_t peekSequence() const { return sequence_.load(); }

private:
    std::atomic<uint16_t> sequence_{0};
};

} // namespace pc
} // namespace vesk
