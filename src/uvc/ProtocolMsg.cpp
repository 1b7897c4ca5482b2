#include "uvc/ProtocolMsg.h"

#include "comm/Util.h"

#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kMagic = 0xAA;
constexpr int kVerLenOffset = 1;
constexpr int kSequenceOffset = 4;
constexpr int kCrc16Offset = 6;
constexpr int kCrc8Offset = 8;
constexpr int kCommandOffset = 10;
constexpr int kCrc8Version = 2;

// The three 16-bit fields that change byte order between the two forms.
const int kSwappedFields[] = {kVerLenOffset, kSequenceOffset, kCommandOffset};

} // namespace

ProtocolMsg::FrmPacket::FrmPacket()
{
    std::memset(bytes, 0, sizeof bytes);
    bytes[0] = kMagic;
    setVersionAndLength(0, kHeaderSize);
    bytes[3] = kRequestFlags;
    bytes[9] = 0xE1;  // host to camera
}

ProtocolMsg::ProtocolMsg(QObject* parent)
    : QObject(parent)
{
}

void ProtocolMsg::frmHeaderProcessForSend(FrmPacket& frame)
{
    uint8_t* bytes = frame.bytes;
    const uint16_t verLen = qFromUnaligned<quint16>(bytes + kVerLenOffset);
    const int version = verLen >> 12;
    // Never read past the memory image, whatever the length field says.
    const int length = qMin(int(verLen & 0x0FFF), int(sizeof frame.bytes));
    for (int offset : kSwappedFields)
        qToBigEndian<quint16>(qFromUnaligned<quint16>(bytes + offset), bytes + offset);
    bytes[kCrc16Offset] = bytes[kCrc16Offset + 1] = bytes[kCrc8Offset] = 0;
    if (version == kCrc8Version)
        bytes[kCrc8Offset] = Util::crc8ForBuf(bytes, kHeaderSize);
    qToBigEndian<quint16>(Util::crc16ForBuf(bytes, uint32_t(length)), bytes + kCrc16Offset);
}

int ProtocolMsg::frmCheckAndParseForRecv(uint8_t* data, int received)
{
    if (!data || received < kHeaderSize)
        return RecvTooShort;
    if (data[0] != kMagic)
        return RecvNoMagic;
    const int length = qFromBigEndian<quint16>(data + kVerLenOffset) & 0x0FFF;
    if (length < kHeaderSize || length > kMaxFrameLength || length > received)
        return RecvBadLength;
    const uint16_t crc16 = qFromBigEndian<quint16>(data + kCrc16Offset);
    data[kCrc16Offset] = data[kCrc16Offset + 1] = 0;
    if ((data[kVerLenOffset] >> 4) == kCrc8Version) {
        const uint8_t crc8 = data[kCrc8Offset];
        data[kCrc8Offset] = 0;
        data[kCrc8Offset] = Util::crc8ForBuf(data, kHeaderSize);
        if (data[kCrc8Offset] != crc8)
            return RecvBadCrc8;
    }
    if (Util::crc16ForBuf(data, uint32_t(length)) != crc16)
        return RecvBadCrc16;
    qToUnaligned<quint16>(crc16, data + kCrc16Offset);
    for (int offset : kSwappedFields)
        qToUnaligned<quint16>(qFromBigEndian<quint16>(data + offset), data + offset);
    return RecvOk;
}

QByteArray ProtocolMsg::wireBlock(const FrmPacket& frame)
{
    // The length field is big-endian once the frame is in wire form.
    const int length = qMin(int(qFromBigEndian<quint16>(frame.bytes + kVerLenOffset) & 0x0FFF), kMaxFrameLength);
    QByteArray block(kMaxFrameLength, '\0');
    std::memcpy(block.data(), frame.bytes, size_t(length));
    return block;
}

} // namespace pc
} // namespace vesk
