// The binary diff as the classic algorithm states it: sort the suffixes of
// the old data, scan the new data for matches, and emit one entry (control,
// diff bytes, extra bytes) per match. BsDiffFast.cpp gives the same entries
// faster; large inputs go there.

#include "package/BsDiff.h"

#include "package/BsDiffFast.h"

#include <QDebug>
#include <QtEndian>
#include <QtGlobal>

#include <divsufsort.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace {

static_assert(std::is_same<saidx_t, int32_t>::value, "the suffix array is 32-bit");

// The old and new data and the sorted suffixes of the old.
struct Inputs
{
    const uint8_t* old;
    int64_t oldSize;
    const uint8_t* newData;
    int64_t newSize;
    const int32_t* I;

    // 1 when old[oldAt] exists and equals new[newAt].
    int same(int64_t oldAt, int64_t newAt) const
    {
        return oldAt >= 0 && oldAt < oldSize && old[oldAt] == newData[newAt] ? 1 : 0;
    }
};

int64_t matchLength(const uint8_t* a, int64_t aSize, const uint8_t* b, int64_t bSize)
{
    int64_t i = 0;
    while (i < aSize && i < bSize && a[i] == b[i])
        ++i;
    return i;
}

// Longest match of new[scan..] among the old suffixes, by binary search; of
// the two final candidates the longer wins, the later one on a tie.
int64_t search(const Inputs& in, int64_t scan, int64_t* pos)
{
    const uint8_t* target = in.newData + scan;
    const int64_t targetSize = in.newSize - scan;
    int64_t st = 0;
    int64_t en = in.oldSize;
    while (en - st >= 2) {
        const int64_t x = st + (en - st) / 2;
        const int64_t n = std::min(in.oldSize - in.I[x], targetSize);
        if (std::memcmp(in.old + in.I[x], target, size_t(n)) < 0)
            st = x;
        else
            en = x;
    }
    const int64_t x = matchLength(in.old + in.I[st], in.oldSize - in.I[st], target, targetSize);
    const int64_t y = matchLength(in.old + in.I[en], in.oldSize - in.I[en], target, targetSize);
    *pos = x > y ? in.I[st] : in.I[en];
    return std::max(x, y);
}

// Of steps 1..steps, the first after which 2 * matches - steps is greatest
// (0 when no step gains).
template <typename Same>
int64_t bestExtension(int64_t steps, Same same)
{
    int64_t s = 0;
    int64_t best = 0;
    int64_t length = 0;
    for (int64_t i = 1; i <= steps; ++i) {
        s += same(i);
        if (s * 2 - i > best * 2 - length) {
            best = s;
            length = i;
        }
    }
    return length;
}

// The previous match and the one just found, each extended over the bytes
// between them, and the extra bytes that neither covers.
struct Entry
{
    int64_t lenf;
    int64_t lenb;
};

Entry extend(const Inputs& in, int64_t lastScan, int64_t lastPos, int64_t scan, int64_t pos)
{
    Entry e;
    e.lenf = bestExtension(std::min(scan - lastScan, in.oldSize - lastPos),
                           [&](int64_t i) { return in.same(lastPos + i - 1, lastScan + i - 1); });
    e.lenb = scan < in.newSize ? bestExtension(std::min(scan - lastScan, pos), [&](int64_t i) {
        return in.same(pos - i, scan - i);
    }) : 0;
    // Where both claim the same bytes, split where the forward side has
    // gained most over the backward side.
    const int64_t overlap = (lastScan + e.lenf) - (scan - e.lenb);
    if (overlap > 0) {
        int64_t s = 0;
        int64_t best = 0;
        int64_t lens = 0;
        for (int64_t i = 0; i < overlap; ++i) {
            s += in.same(lastPos + e.lenf - overlap + i, lastScan + e.lenf - overlap + i);
            s -= in.same(pos - e.lenb + i, scan - e.lenb + i);
            if (s > best) {
                best = s;
                lens = i + 1;
            }
        }
        e.lenf += lens - overlap;
        e.lenb -= lens;
    }
    return e;
}

// Control {lenf, extra, seek}, lenf diff bytes (new minus old), extra bytes
// of new; the diff bytes go through work, a window at a time.
bool writeEntry(diff_stream* stream, uint8_t* work, const Inputs& in, int64_t lastScan,
                int64_t lastPos, int64_t lenf, int64_t extra, int64_t seek)
{
    uint8_t control[24];
    offtout(lenf, control);
    offtout(extra, control + 8);
    offtout(seek, control + 16);
    if (stream->write(stream, control, sizeof control) != 0)
        return false;
    for (int64_t done = 0; done < lenf;) {
        const int64_t piece = std::min(lenf - done, kBsDiffWorkSize);
        for (int64_t i = 0; i < piece; ++i)
            work[i] = uint8_t(in.newData[lastScan + done + i] - in.old[lastPos + done + i]);
        if (!bsdiffWriteAll(stream, work, piece))
            return false;
        done += piece;
    }
    return bsdiffWriteAll(stream, in.newData + lastScan + lenf, extra);
}

// The scan: at each position the longest match is searched; it is taken
// when it beats the bytes that the previous match's offset already gets
// right by more than 8 (or equals them, as an exact continuation).
bool diffScan(const Inputs& in, diff_stream* stream, uint8_t* work)
{
    int64_t scan = 0;
    int64_t len = 0;
    int64_t pos = 0;
    int64_t lastScan = 0;
    int64_t lastPos = 0;
    int64_t lastOffset = 0;
    while (scan < in.newSize) {
        int64_t oldScore = 0;
        int64_t scsc = scan += len;
        for (; scan < in.newSize; ++scan) {
            len = search(in, scan, &pos);
            for (; scsc < scan + len; ++scsc)
                oldScore += in.same(scsc + lastOffset, scsc);
            if ((len == oldScore && len != 0) || len > oldScore + 8)
                break;
            oldScore -= in.same(scan + lastOffset, scan);
        }
        if (len == oldScore && scan != in.newSize)
            continue;
        const Entry e = extend(in, lastScan, lastPos, scan, pos);
        const int64_t extra = (scan - e.lenb) - (lastScan + e.lenf);
        const int64_t seek = (pos - e.lenb) - (lastPos + e.lenf);
        if (!writeEntry(stream, work, in, lastScan, lastPos, e.lenf, extra, seek))
            return false;
        lastScan = scan - e.lenb;
        lastPos = pos - e.lenb;
        lastOffset = pos - scan;
    }
    return true;
}

bool validSizes(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize)
{
    if (oldsize < 0 || newsize < 0 || oldsize >= INT_MAX || (oldsize > 0 && !old) ||
        (newsize > 0 && !newData)) {
        qWarning() << "Invalid sizes" << oldsize << newsize;
        return false;
    }
    return true;
}

} // namespace

bool bsdiffSortSuffixes(const uint8_t* old, int64_t oldSize, int32_t* I)
{
    I[0] = int32_t(oldSize);
    return oldSize == 0 || divsufsort(old, I + 1, saidx_t(oldSize)) == 0;
}

bool bsdiffWriteAll(diff_stream* stream, const uint8_t* data, int64_t length)
{
    while (length > 0) {
        const int piece = int(std::min<int64_t>(length, INT_MAX));
        if (stream->write(stream, data, piece) != 0)
            return false;
        data += piece;
        length -= piece;
    }
    return true;
}

int bsdiffPlain(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
                diff_stream* stream)
{
    if (!validSizes(old, oldsize, newData, newsize))
        return -1;
    auto* I = static_cast<int32_t*>(stream->malloc(size_t(oldsize + 1) * sizeof(int32_t)));
    auto* work = static_cast<uint8_t*>(stream->malloc(size_t(std::min(newsize + 1, kBsDiffWorkSize))));
    const bool ok = I && work && bsdiffSortSuffixes(old, oldsize, I)
                    && diffScan({old, oldsize, newData, newsize, I}, stream, work);
    if (I)
        stream->free(I);
    if (work)
        stream->free(work);
    return ok ? 0 : -1;
}

int bsdiffThreads(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
                  diff_stream* stream, int threads)
{
    if (!validSizes(old, oldsize, newData, newsize))
        return -1;
    // The same entries either way: the plain diff where the fast one's
    // helpers would not start.
    if (oldsize < kBsDiffHelperMinSize && newsize < kBsDiffHelperMinSize)
        return bsdiffPlain(old, oldsize, newData, newsize, stream);
    return bsdiffFast(old, oldsize, newData, newsize, stream, threads);
}

extern "C" {

void offtout(int64_t x, uint8_t* buf)
{
    // Magnitude in unsigned arithmetic so that no value overflows.
    const uint64_t magnitude = x < 0 ? 0 - uint64_t(x) : uint64_t(x);
    qToLittleEndian<quint64>((magnitude & ~kOffSign) | (x < 0 ? kOffSign : 0), buf);
}

int bsdiff(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
           diff_stream* stream)
{
    return bsdiffThreads(old, oldsize, newData, newsize, stream, bsdiffFastThreads());
}

} // extern "C"
