#include "sim/SimMessageChannel.h"

#include "comm/Util.h"

#include <QDebug>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kHeaderSize = 12;
constexpr uint8_t kHostNibble = 0x0E;
constexpr uint8_t kResponseRequested = 0x02;
constexpr uint8_t kIsResponse = 0x01;

} // namespace

SimMessageChannel::SimMessageChannel()
{
    clock_.start();
}

bool SimMessageChannel::frameIsValid(const uint8_t* block, int length)
{
    if (length < kHeaderSize || block[0] != 0xAA)
        return false;
    const int frameLength = qFromBigEndian<quint16>(block + 1) & 0x0FFF;
    if (frameLength < kHeaderSize || frameLength > length || frameLength > kBlockSize)
        return false;
    uint8_t copy[kBlockSize];
    std::memcpy(copy, block, size_t(frameLength));
    copy[6] = copy[7] = 0;
    if ((block[1] >> 4) == 2) {
        copy[8] = 0;
        if (Util::crc8ForBuf(copy, kHeaderSize) != block[8])
            return false;
        copy[8] = block[8];
    }
    return Util::crc16ForBuf(copy, uint32_t(frameLength)) == qFromBigEndian<quint16>(block + 6);
}

QByteArray SimMessageChannel::buildReply(const uint8_t* request, int requestLength,
                                         const QByteArray& data, const SimKnobs& knobs)
{
    const int version = knobs.version2Replies ? 2 : 0;
    const int natural = std::min(kHeaderSize + 1 + int(data.size()), kBlockSize);
    const int length = knobs.replyFrameLength >= 0 ? std::min(knobs.replyFrameLength, kBlockSize)
                                                   : natural;
    Q_UNUSED(requestLength)
    QByteArray reply(kBlockSize, '\0');
    auto* out = reinterpret_cast<uint8_t*>(reply.data());
    out[0] = 0xAA;
    qToBigEndian<quint16>(uint16_t(version << 12 | length), out + 1);
    out[3] = kIsResponse;
    out[4] = request[4];
    out[5] = request[5];
    const uint8_t sender = request[9] & 0x0F;
    out[9] = uint8_t(sender << 4 | (knobs.wrongReceiver ? 0x01 : kHostNibble));
    out[10] = request[10];
    out[11] = request[11];
    out[12] = uint8_t(knobs.resultCode);
    std::memcpy(out + 13, data.constData(), size_t(natural - 13));
    if (length < kBlockSize)  // a forced short length leaves nothing behind it
        std::memset(out + length, 0, size_t(kBlockSize - length));
    if (version == 2)
        out[8] = Util::crc8ForBuf(out, kHeaderSize);
    qToBigEndian<quint16>(Util::crc16ForBuf(out, uint32_t(std::max(length, kHeaderSize))), out + 6);
    if (knobs.badCrc)
        out[7] ^= 0xFF;
    return reply;
}

bool SimMessageChannel::write(const uint8_t* block, int length, const SimKnobs& knobs,
                              const QHash<uint16_t, QByteArray>& replies)
{
    if (!frameIsValid(block, length)) {
        ++dropped_;
        qWarning() << "Simulated camera dropped a bad frame";
        return false;
    }
    if (!(block[3] & kResponseRequested) || knobs.noReply)
        return true;
    const uint16_t sequence = qFromBigEndian<quint16>(block + 4);
    const int copy = ++copies_[sequence];
    if (knobs.replyToSecondCopyOnly && copy != 2)
        return true;
    const int frameLength = qFromBigEndian<quint16>(block + 1) & 0x0FFF;
    const uint16_t command = qFromBigEndian<quint16>(block + 10);
    const QByteArray data = replies.contains(command)
        ? replies.value(command)
        : QByteArray(reinterpret_cast<const char*>(block) + kHeaderSize, frameLength - kHeaderSize);
    pending_.append({buildReply(block, frameLength, data, knobs),
                     clock_.elapsed() + knobs.replyDelayMs});
    return true;
}

int SimMessageChannel::read(uint8_t* data, int length, const SimKnobs& knobs)
{
    const int moved = knobs.shortReadBytes >= 0 ? std::min(length, knobs.shortReadBytes) : length;
    std::memset(data, 0, size_t(length));
    const qint64 now = clock_.elapsed();
    for (int i = 0; i < pending_.size(); ++i) {
        if (pending_[i].readyAtMs > now)
            continue;
        const QByteArray block = pending_.takeAt(i).block;
        std::memcpy(data, block.constData(), size_t(std::min(moved, int(block.size()))));
        break;
    }
    return moved;
}

} // namespace pc
} // namespace vesk
