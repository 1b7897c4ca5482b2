#include "package/BsDiff.h"

#include <QDebug>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

namespace {

// Patch bytes are read in pieces of at most this.
constexpr int64_t kPieceSize = 1 << 20;
// The streamed output's window: small enough to stay in the cache while it
// is read into, added to and handed on, large enough that handing it on
// costs little.
constexpr int64_t kWindowSize = 256 * 1024;

// Where the new data goes: the caller's buffer of the whole size, or a
// window handed to a sink whenever it is full and at the end, so that
// memory never follows the size a patch declares.
class Output
{
public:
    explicit Output(uint8_t* whole)
        : buffer_(whole)
    {
    }
    Output(uint8_t* window, const PatchSink* sink)
        : buffer_(window), sink_(sink)
    {
    }

    // Room for at most want of the next bytes, in a window no more than it
    // has left.
    int64_t room(int64_t want, uint8_t** at) const
    {
        if (!sink_) {
            *at = buffer_ + position_;
            return want;
        }
        *at = buffer_ + filled_;
        return std::min(want, kWindowSize - filled_);
    }
    // The next count bytes are in place.
    bool advance(int64_t count)
    {
        position_ += count;
        if (!sink_)
            return true;
        filled_ += count;
        return filled_ < kWindowSize || flush();
    }
    bool flush()
    {
        if (!sink_ || filled_ == 0)
            return true;
        const int64_t count = filled_;
        filled_ = 0;
        return (*sink_)(buffer_, count);
    }

private:
    uint8_t* buffer_;
    const PatchSink* sink_ = nullptr;
    int64_t position_ = 0;
    int64_t filled_ = 0;
};

// Adds the old bytes under [oldPos, oldPos + length) to out; positions
// outside the old data add nothing. length is at most INT_MAX and oldPos
// below oldSize, so no sum below can overflow.
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

// The old data under the diff bytes being read, or none for extra bytes.
struct OldSpan
{
    const uint8_t* data;
    int64_t size;
    int64_t pos;
};

// Reads length bytes of the stream into the output, adding the old bytes
// of span when given.
bool take(patch_stream* stream, Output* out, int64_t length, const OldSpan* span)
{
    // Past the old data's end nothing is added, and positions below it
    // plus length cannot overflow.
    if (span && span->pos >= span->size)
        span = nullptr;
    for (int64_t done = 0; done < length;) {
        uint8_t* to = nullptr;
        const int64_t piece = out->room(std::min(length - done, kPieceSize), &to);
        if (stream->read(stream, to, int(piece)) != 0)
            return false;
        if (span)
            addOld(span->data, span->size, span->pos + done, to, piece);
        if (!out->advance(piece))
            return false;
        done += piece;
    }
    return true;
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
        const OldSpan span{old, oldsize, oldPos};
        if (!take(stream, out, x, &span))
            return -1;
        newPos += x;
        if (y > newsize - newPos || __builtin_add_overflow(oldPos, x, &oldPos)) {
            qWarning() << "Corrupt patch control" << x << y << "at" << newPos;
            return -1;
        }
        if (!take(stream, out, y, nullptr))
            return -1;
        newPos += y;
        // The seek may leave the old data; only an overflowing one is refused.
        if (__builtin_add_overflow(oldPos, z, &oldPos)) {
            qWarning() << "Corrupt patch seek" << z;
            return -1;
        }
    }
    return out->flush() ? 0 : -1;
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
    Output out(newData);
    return patchInto(old, oldsize, &out, newsize, stream);
}

} // extern "C"

int bspatchStreamed(const uint8_t* old, int64_t oldsize, int64_t newsize, patch_stream* stream,
                    const PatchSink& sink)
{
    const size_t windowSize = size_t(std::max<int64_t>(1, std::min(newsize, kWindowSize)));
    const std::unique_ptr<uint8_t[]> window(new (std::nothrow) uint8_t[windowSize]);
    if (!window) {
        qCritical() << "Out of memory for the patch window";
        return -1;
    }
    Output out(window.get(), &sink);
    return patchInto(old, oldsize, &out, newsize, stream);
}
