#include "sim/SimPresets.h"

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

enum Operation { OpAdd = 0, OpRemove = 1, OpGet = 2, OpTrigger = 3 };

constexpr int kHeadSize = 10;  // id, four positions, name length
constexpr int kMaxName = 49;   // what fits in a 60-byte add block

} // namespace

SimPresets::SimPresets(const QList<QByteArray>& records)
{
    for (const QByteArray& record : records) {
        if (!record.isEmpty())
            records_.insert(uint8_t(record[0]), record);
    }
}

int SimPresets::write(const uint8_t* block, int length)
{
    switch (block[0]) {
    case OpAdd: {
        const int nameLen = std::min(int(block[kHeadSize]), kMaxName);
        records_.insert(block[1], QByteArray(reinterpret_cast<const char*>(block) + 1,
                                             kHeadSize + nameLen));
        break;
    }
    case OpRemove:
        records_.remove(block[1]);
        break;
    case OpGet:
        queried_ = block[1] == 1 ? block[2] : -1;
        break;
    case OpTrigger:
        if (records_.contains(block[1]))
            triggered_ = block[1];
        break;
    default:
        break;
    }
    return length;
}

int SimPresets::read(uint8_t* data, int length) const
{
    QByteArray reply("\xAA\x01", 2);
    const bool present = queried_ >= 0 && records_.contains(uint8_t(queried_));
    reply += char(present ? 0 : 1);
    if (present)
        reply += records_.value(uint8_t(queried_));
    std::memset(data, 0, size_t(length));
    std::memcpy(data, reply.constData(), size_t(std::min(length, int(reply.size()))));
    return length;
}

} // namespace pc
} // namespace vesk
