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

uint16_t readBe16(const uint8_t* at) { return qFromBigEndian<quint16>(at); }
void writeBe16(uint8_t* at, uint16_t value) { qToBigEndian<quint16>(value, at); }
uint16_t readHost16(const uint8_t* at) { return qFromUnaligned<quint16>(at); }
void writeHost16(uint8_t* at, uint16_t value) { qToUnaligned<quint16>(value, at); }

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
    const uint16_t verLen = readHost16(bytes + kVerLenOffset);
    const int version = verLen >> 12;
    // Never read past the memory image, whatever the length field says.
    const int length = qMin(int(verLen & 0x0FFF), int(sizeof frame.bytes));
    for (int offset : kSwappedFields)
        writeBe16(bytes + offset, readHost16(bytes + offset));
    bytes[kCrc16Offset] = bytes[kCrc16Offset + 1] = bytes[kCrc8Offset] = 0;
    if (version == kCrc8Version)
        bytes[kCrc8Offset] = Util::crc8ForBuf(bytes, kHeaderSize);
    writeBe16(bytes + kCrc16Offset, Util::crc16ForBuf(bytes, uint32_t(length)));
}

int ProtocolMsg::frmCheckAndParseForRecv(uint8_t* data, int received)
{
    if (!data || received < kHeaderSize)
        return RecvTooShort;
    if (data[0] != kMagic)
        return RecvNoMagic;
    const int length = readBe16(data + kVerLenOffset) & 0x0FFF;
    if (length < kHeaderSize || length > kMaxFrameLength || length > received)
        return RecvBadLength;
    const uint16_t crc16 = readBe16(data + kCrc16Offset);
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
    writeHost16(data + kCrc16Offset, crc16);
    for (int offset : kSwappedFields)
        writeHost16(data + offset, readBe16(data + offset));
    return RecvOk;
}

QByteArray ProtocolMsg::wireBlock(const FrmPacket& frame)
{
    // The length field is big-endian once the frame is in wire form.
    const int length = qMin(int(readBe16(frame.bytes + kVerLenOffset) & 0x0FFF), kMaxFrameLength);
    QByteArray block(kMaxFrameLength, '\0');
    std::memcpy(block.data(), frame.bytes, size_t(length));
    return block;
}

} // namespace pc
} // namespace vesk
