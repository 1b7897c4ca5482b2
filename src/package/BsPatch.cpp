#include "package/BsDiff.h"

#include <QDebug>

#include <algorithm>
#include <climits>

namespace {

bool readExactly(patch_stream* stream, uint8_t* buffer, int64_t length)
{
    return length == 0 || stream->read(stream, buffer, int(length)) == 0;
}

// Adds the old bytes under [oldPos, oldPos + length) to out; positions
// outside the old data add nothing. length is at most INT_MAX, so no sum
// below can overflow whatever oldPos is.
void addOld(const uint8_t* old, int64_t oldSize, int64_t oldPos, uint8_t* __restrict out,
            int64_t length)
{
    if (oldPos >= oldSize || oldPos < -length)
        return;
    const int64_t begin = oldPos < 0 ? -oldPos : 0;
    const int64_t end = std::min(length, oldSize - oldPos);
    const uint8_t* __restrict from = old + (oldPos + begin);
    out += begin;
    for (int64_t i = 0; i < end - begin; ++i)
        out[i] = uint8_t(out[i] + from[i]);
}

} // namespace

extern "C" {

int64_t offtin(const uint8_t* buf)
{
    uint64_t magnitude = buf[7] & 0x7F;
    for (int i = 6; i >= 0; --i)
        magnitude = magnitude << 8 | buf[i];
    const int64_t value = int64_t(magnitude);
    return (buf[7] & 0x80) ? -value : value;
}

int bspatch(const uint8_t* old, int64_t oldsize, uint8_t* newData, int64_t newsize,
            patch_stream* stream)
{
    if (oldsize < 0 || (oldsize > 0 && !old)) {
        qWarning() << "Invalid old size" << oldsize;
        return -1;
    }
    int64_t newPos = 0;
    int64_t oldPos = 0;
    while (newPos < newsize) {
        uint8_t buf[8];
        int64_t control[3];
        for (int64_t& value : control) {
            if (!readExactly(stream, buf, 8))
                return -1;
            value = offtin(buf);
        }
        const int64_t x = control[0];
        const int64_t y = control[1];
        const int64_t z = control[2];
        // newPos < newsize and x, y <= INT_MAX: the sums below cannot overflow.
        if (x < 0 || x > INT_MAX || y < 0 || y > INT_MAX || x > newsize - newPos) {
            qWarning() << "Corrupt patch control" << x << y << "at" << newPos;
            return -1;
        }
        if (!readExactly(stream, newData + newPos, x))
            return -1;
        addOld(old, oldsize, oldPos, newData + newPos, x);
        newPos += x;
        if (y > newsize - newPos || __builtin_add_overflow(oldPos, x, &oldPos)) {
            qWarning() << "Corrupt patch control" << x << y << "at" << newPos;
            return -1;
        }
        if (!readExactly(stream, newData + newPos, y))
            return -1;
        newPos += y;
        // The seek may leave the old data; only an overflowing one is refused.
        if (__builtin_add_overflow(oldPos, z, &oldPos)) {
            qWarning() << "Corrupt patch seek" << z;
            return -1;
        }
    }
    return 0;
}

} // extern "C"
