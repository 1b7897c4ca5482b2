#include "package/BsDiff.h"

#include <QDebug>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <new>

namespace {

// Patch bytes are read in pieces of at most this, so that a growing output
// is sized by what has arrived rather than by what was declared.
constexpr int64_t kPieceSize = 1 << 20;

// The new data: the caller's buffer of the whole size, or a vector grown as
// the bytes arrive (doubling, but never beyond the whole size).
class Output
{
public:
    Output(uint8_t* buffer, std::vector<uint8_t>* grown, int64_t size)
        : buffer_(buffer), grown_(grown), size_(size)
    {
    }

    // Room for length bytes at pos, inside the whole size; null when memory
    // runs out.
    uint8_t* room(int64_t pos, int64_t length)
    {
        const size_t need = size_t(pos + length);
        if (!grown_ || need <= grown_->size())
            return buffer_ ? buffer_ + pos : grown_->data() + pos;
        try {
            if (need > grown_->capacity())
                grown_->reserve(std::min(size_t(size_), std::max(need, 2 * grown_->capacity())));
            grown_->resize(need);
        } catch (const std::bad_alloc&) {
            qCritical() << "Out of memory for" << need << "patched bytes";
            return nullptr;
        }
        return grown_->data() + pos;
    }

private:
    uint8_t* buffer_;
    std::vector<uint8_t>* grown_;
    int64_t size_;
};

bool readInto(patch_stream* stream, Output* out, int64_t pos, int64_t length)
{
    for (int64_t done = 0; done < length;) {
        const int64_t piece = std::min(length - done, kPieceSize);
        uint8_t* to = out->room(pos + done, piece);
        if (!to || stream->read(stream, to, int(piece)) != 0)
            return false;
        done += piece;
    }
    return true;
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

int patchInto(const uint8_t* old, int64_t oldsize, Output* out, int64_t newsize,
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
            if (stream->read(stream, buf, 8) != 0)
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
        if (!readInto(stream, out, newPos, x))
            return -1;
        if (x > 0)
            addOld(old, oldsize, oldPos, out->room(newPos, x), x);
        newPos += x;
        if (y > newsize - newPos || __builtin_add_overflow(oldPos, x, &oldPos)) {
            qWarning() << "Corrupt patch control" << x << y << "at" << newPos;
            return -1;
        }
        if (!readInto(stream, out, newPos, y))
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

} // namespace

extern "C" {

int64_t offtin(const uint8_t* buf)
{
    const uint64_t word = qFromLittleEndian<quint64>(buf);
    const int64_t value = int64_t(word & ~kOffSign);
    return (word & kOffSign) ? -value : value;
}

int bspatch(const uint8_t* old, int64_t oldsize, uint8_t* newData, int64_t newsize,
            patch_stream* stream)
{
    Output out(newData, nullptr, newsize);
    return patchInto(old, oldsize, &out, newsize, stream);
}

} // extern "C"

int bspatchGrowing(const uint8_t* old, int64_t oldsize, std::vector<uint8_t>* newData,
                   int64_t newsize, patch_stream* stream)
{
    newData->clear();
    Output out(nullptr, newData, newsize);
    return patchInto(old, oldsize, &out, newsize, stream);
}
