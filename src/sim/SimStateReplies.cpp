#include "sim/SimStateReplies.h"

#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr int kHeaderSize = 12;
constexpr uint16_t kCmdDevStatus = 0x13C2;  // 0, 0 asks for the run state

// A query's answer: its data bytes, and where the bytes of the last
// setting command's payload go in it.
struct QueryRow
{
    uint16_t query;
    int size;
    uint16_t setter;
    int from;    // first payload byte taken
    int length;  // bytes taken
    int at;      // where they go in the answer
};

const QueryRow kQueries[] = {
    {0x3092, 38, 0x3091, 0, 1, 32},  // AI short status: the tracking mode at byte 32
    {0x3036, 20, 0x3035, 0, 16, 4},  // gimbal boot position: the four floats from byte 4
    {0x2001, 6, 0x2006, 6, 6, 0},    // gimbal attitude: where the last move went
    {0x11D2, 1, 0x13D2, 0, 1, 0},    // face focus
};

} // namespace

void SimStateReplies::take(const uint8_t* frame)
{
    const uint16_t command = qFromBigEndian<quint16>(frame + 10);
    const int length = qFromBigEndian<quint16>(frame + 1) & 0x0FFF;
    for (const QueryRow& row : kQueries) {
        if (row.setter == command && length > kHeaderSize)
            payloads_.insert(command, QByteArray(reinterpret_cast<const char*>(frame) + kHeaderSize,
                                                 length - kHeaderSize));
    }
}

QByteArray SimStateReplies::answer(uint16_t command, uint8_t runState) const
{
    if (command == kCmdDevStatus)
        return QByteArray(1, char(runState));
    for (const QueryRow& row : kQueries) {
        if (row.query != command)
            continue;
        QByteArray data(row.size, '\0');
        const QByteArray taken = payloads_.value(row.setter).mid(row.from, row.length);
        data.replace(row.at, int(taken.size()), taken);
        return data;
    }
    return QByteArray();
}

} // namespace pc
} // namespace vesk
