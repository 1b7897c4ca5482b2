#include "package/BsDiffFast.h"

#include <QtGlobal>

#include <divsufsort.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

using Index = saidx_t;
static_assert(std::is_same<Index, int32_t>::value, "the suffix array is 32-bit");

constexpr int kMaxThreads = 8;

} // namespace

int bsdiffFastThreads()
{
    return int(std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), kMaxThreads));
}

namespace {

// Common prefix length of a and b, eight bytes at a time (the lowest set
// bit of the difference is the first differing byte on little-endian hosts).
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
#error "matchLength assumes a little-endian host"
#endif
int64_t matchLength(const uint8_t* a, int64_t aLength, const uint8_t* b, int64_t bLength)
{
    const int64_t n = std::min(aLength, bLength);
    int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            return i + __builtin_ctzll(x ^ y) / 8;
    }
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

// memcmp's sign; compares only up to the first difference.
int compareBytes(const uint8_t* a, const uint8_t* b, int64_t length)
{
    const int64_t common = matchLength(a, length, b, length);
    return common == length ? 0 : (a[common] < b[common] ? -1 : 1);
}

// Bit j set when a[j] equals b[j], for 16 bytes.
unsigned equalMask16(const uint8_t* a, const uint8_t* b)
{
#if defined(__SSE2__)
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
#else
    unsigned mask = 0;
    for (int j = 0; j < 16; ++j)
        mask |= unsigned(a[j] == b[j]) << j;
    return mask;
#endif
}

// Set bits of a 16-bit mask (the baseline x86-64 has no popcnt).
int bitCount16(unsigned x)
{
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return int((x + (x >> 8)) & 0x1Fu);
}

int64_t countEqual(const uint8_t* a, const uint8_t* b, int64_t n)
{
    int64_t count = 0;
    int64_t i = 0;
#if defined(__SSE2__)
    // Byte counters (each compare adds 0 or 1) summed before they can wrap.
    while (i + 16 <= n) {
        __m128i counters = _mm_setzero_si128();
        for (int round = 0; round < 255 && i + 16 <= n; ++round, i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(x, y));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
#endif
    for (; i < n; ++i)
        count += a[i] == b[i];
    return count;
}

// out[i] = a[i] - b[i] modulo 256.
void subtractBytes(uint8_t* out, const uint8_t* a, const uint8_t* b, int64_t n)
{
    int64_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(x, y));
    }
#endif
    for (; i < n; ++i)
        out[i] = uint8_t(a[i] - b[i]);
}

// The extension of a match step by step: after step i with s equal bytes
// the score is 2s - i, and the first step with the greatest score (above
// the empty extension's 0) wins.
class Extension
{
public:
    // Steps i + 1 .. i + 16 where equal has bit j set for step i + 1 + j;
    // false when the block needs the steps one by one.
    bool block(unsigned equal)
    {
        const int matches = bitCount16(equal);
        if (equal == 0xFFFFu) {
            // The score rises at every step, so its peak is the last one.
            s_ += 16;
            i_ += 16;
            if (s_ * 2 - i_ > best_ * 2 - length_) {
                best_ = s_;
                length_ = i_;
            }
            return true;
        }
        // Inside the block the score stays below its start plus the matches.
        if (s_ * 2 - i_ + matches > best_ * 2 - length_)
            return false;
        s_ += matches;
        i_ += 16;
        return true;
    }
    void step(bool equal)
    {
        ++i_;
        if (equal)
            ++s_;
        if (s_ * 2 - i_ > best_ * 2 - length_) {
            best_ = s_;
            length_ = i_;
        }
    }
    int64_t steps() const { return i_; }
    int64_t length() const { return length_; }

private:
    int64_t i_ = 0;
    int64_t s_ = 0;
    int64_t best_ = 0;
    int64_t length_ = 0;
};

// Faults the pages of a fresh allocation in on several threads: the sort
// runs on one, and would otherwise take every page fault itself.
void prefault(void* memory, size_t size, int threads)
{
    constexpr size_t kPage = 4096;
    auto touch = [memory, size, threads](int part) {
        auto* bytes = static_cast<volatile char*>(memory);
        const size_t end = size / size_t(threads) * size_t(part + 1);
        for (size_t i = size / size_t(threads) * size_t(part); i < end; i += kPage)
            bytes[i] = 0;
    };
    std::vector<std::thread> helpers;
    for (int part = 1; part < threads; ++part) {
        try {
            helpers.emplace_back(touch, part);
        } catch (const std::system_error&) {
            touch(part);
        }
    }
    touch(0);
    for (std::thread& helper : helpers)
        helper.join();
}

struct Match
{
    int64_t scan;
    int64_t len;
    int64_t pos;
};

// Where a scan without a match goes on at the next position, the searches
// of the following positions run interleaved: each step of a binary search
// waits on memory, and a batch keeps that many loads in flight.
constexpr int kBatch = 16;

// One binary search over the sorted suffixes, advanced a step at a time.
struct Probe
{
    const uint8_t* target;
    int64_t targetSize;
    int64_t st;
    int64_t en;

    bool searching() const { return en - st >= 2; }
    int64_t middle() const { return st + (en - st) / 2; }
};

class SearchAhead;

// The scan over the new data. With a stream it writes the diff entries;
// without one it only walks the positions the scan would search, from start
// up to limit, and records each search (the speculative walk of a worker).
class Differ
{
public:
    Differ(const uint8_t* old, int64_t oldSize, const uint8_t* newData, int64_t newSize,
           const Index* I)
        : old_(old), oldSize_(oldSize), new_(newData), newSize_(newSize), I_(I), limit_(newSize)
    {
    }

    void setOutput(uint8_t* work, diff_stream* stream, SearchAhead* ahead)
    {
        work_ = work;
        stream_ = stream;
        ahead_ = ahead;
    }
    // The walk gives up once stop is set.
    void setWalk(int64_t start, int64_t limit, std::vector<Match>* record,
                 const std::atomic<bool>* stop)
    {
        start_ = start;
        limit_ = std::min(limit, newSize_);
        record_ = record;
        stop_ = stop;
    }

    bool run();

private:
    int64_t lookup(int64_t scan, int64_t* pos);
    int64_t search(int64_t scan, int64_t* pos) const;
    void searchBatch(int64_t first, int count);
    Probe probe(int64_t scan) const;
    void step(Probe* p, int64_t at) const;
    int64_t finish(const Probe& p, int64_t* pos) const;
    bool matchesAtLastOffset(int64_t at) const;
    int64_t matchesAtLastOffset(int64_t from, int64_t to) const;
    int64_t forwardExtension(int64_t scan) const;
    int64_t backwardExtension(int64_t scan, int64_t pos) const;
    void resolveOverlap(int64_t scan, int64_t pos, int64_t* lenf, int64_t* lenb) const;
    bool writeEntry(int64_t lenf, int64_t extra, int64_t seek);
    bool closeEntry(int64_t scan, int64_t pos);

    const uint8_t* old_;
    int64_t oldSize_;
    const uint8_t* new_;
    int64_t newSize_;
    const Index* I_;
    int64_t start_ = 0;
    int64_t limit_;
    uint8_t* work_ = nullptr;
    diff_stream* stream_ = nullptr;
    SearchAhead* ahead_ = nullptr;
    std::vector<Match>* record_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    int64_t lastScan_ = 0;
    int64_t lastPos_ = 0;
    int64_t lastOffset_ = 0;
    int64_t lastLookup_ = -2;
    int64_t steps_ = 0;
    int64_t batchFirst_ = 0;
    int batchCount_ = 0;
    Match batch_[kBatch];
};

// Searches are pure functions of the position, so helper threads walk
// later segments of the new data ahead of the main scan, in order, and
// record their searches; once the main scan's state meets a walk's (at the
// next match boundary), it takes the recorded results instead of searching.
// A segment's records are read or freed only once its walker is done.
class SearchAhead
{
public:
    SearchAhead(const Differ& prototype, int64_t newSize, int threads)
        : segments_(int(std::max<int64_t>(1, newSize / kSegmentSize))),
          segmentSize_((newSize + segments_ - 1) / segments_), records_(size_t(segments_)),
          cursors_(size_t(segments_), 0), done_(new std::atomic<bool>[size_t(segments_)]),
          passed_(new std::atomic<bool>[size_t(segments_)])
    {
        for (int k = 0; k < segments_; ++k) {
            done_[k] = false;
            passed_[k] = false;
        }
        for (int t = 1; t < threads; ++t) {
            try {
                helpers_.emplace_back([this, prototype] { walkSegments(prototype); });
            } catch (const std::system_error&) {
                break;  // fewer helpers: the main scan searches the rest itself
            }
        }
    }
    ~SearchAhead()
    {
        for (int k = 0; k < segments_; ++k)
            passed_[k] = true;
        for (std::thread& thread : helpers_)
            thread.join();
    }
    SearchAhead(const SearchAhead&) = delete;
    SearchAhead& operator=(const SearchAhead&) = delete;

    bool find(int64_t scan, int64_t* len, int64_t* pos)
    {
        const int k = int(scan / segmentSize_);
        if (k == 0 || k >= segments_ || helpers_.empty())
            return false;
        leaveBehind(k);
        if (!done_[k].load(std::memory_order_acquire)) {
            std::unique_lock<std::mutex> lock(mutex_);
            finished_.wait(lock, [&] { return done_[k].load(std::memory_order_acquire); });
        }
        const std::vector<Match>& records = records_[size_t(k)];
        size_t& cursor = cursors_[size_t(k)];
        while (cursor < records.size() && records[cursor].scan < scan)
            ++cursor;
        if (cursor == records.size() || records[cursor].scan != scan)
            return false;
        *len = records[cursor].len;
        *pos = records[cursor].pos;
        return true;
    }

private:
    // Small enough that a costly region (an insertion) is shared out.
    static constexpr int64_t kSegmentSize = 8 * 1024;

    // The main scan has reached segment k, so the walks of the segments
    // before it may stop, and the records of those already done can go; the
    // others' walkers may still append, so their records wait for the join.
    void leaveBehind(int k)
    {
        for (; behind_ < k; ++behind_) {
            passed_[behind_].store(true, std::memory_order_relaxed);
            if (done_[behind_].load(std::memory_order_acquire))
                std::vector<Match>().swap(records_[size_t(behind_)]);
        }
    }

    // Segment 0 is the main scan's own start.
    void walkSegments(const Differ& prototype)
    {
        for (int k = next_++; k < segments_; k = next_++) {
            Differ walker = prototype;
            walker.setWalk(k * segmentSize_, (k + 1) * segmentSize_, &records_[size_t(k)],
                           &passed_[k]);
            walker.run();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                done_[k].store(true, std::memory_order_release);
            }
            finished_.notify_all();
        }
    }

    const int segments_;
    const int64_t segmentSize_;
    std::vector<std::vector<Match>> records_;
    std::vector<size_t> cursors_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    // Set for the segments behind the main scan, and for all at the end.
    std::unique_ptr<std::atomic<bool>[]> passed_;
    int behind_ = 0;  // the main scan's: segments below are marked passed
    std::atomic<int> next_{1};
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::thread> helpers_;
};

// Longest match of new[scan..] among the old suffixes; on a tie between the
// two final candidates the later one wins.
int64_t Differ::lookup(int64_t scan, int64_t* pos)
{
    int64_t len = 0;
    if (ahead_ && ahead_->find(scan, &len, pos))
        return len;
    const bool next = scan == lastLookup_ + 1;
    lastLookup_ = scan;
    // The longer the scan has gone on one position at a time, the further
    // ahead it is likely to go: the batch grows with that run.
    steps_ = next ? steps_ + 1 : 0;
    if (next && (scan < batchFirst_ || scan >= batchFirst_ + batchCount_))
        searchBatch(scan, int(std::min({int64_t(kBatch), 2 * steps_, newSize_ - scan})));
    if (scan >= batchFirst_ && scan < batchFirst_ + batchCount_) {
        len = batch_[scan - batchFirst_].len;
        *pos = batch_[scan - batchFirst_].pos;
    } else {
        len = search(scan, pos);
    }
    if (record_)
        record_->push_back({scan, len, *pos});
    return len;
}

Probe Differ::probe(int64_t scan) const
{
    return {new_ + scan, newSize_ - scan, 0, oldSize_};
}

// Moves right when the old suffix at the middle (at) is smaller.
void Differ::step(Probe* p, int64_t at) const
{
    if (compareBytes(old_ + at, p->target, std::min(oldSize_ - at, p->targetSize)) < 0)
        p->st = p->middle();
    else
        p->en = p->middle();
}

// Of the two candidates left, the longer match; on a tie the later one.
int64_t Differ::finish(const Probe& p, int64_t* pos) const
{
    const int64_t x = matchLength(old_ + I_[p.st], oldSize_ - I_[p.st], p.target, p.targetSize);
    const int64_t y = matchLength(old_ + I_[p.en], oldSize_ - I_[p.en], p.target, p.targetSize);
    *pos = x > y ? I_[p.st] : I_[p.en];
    return std::max(x, y);
}

int64_t Differ::search(int64_t scan, int64_t* pos) const
{
    Probe p = probe(scan);
    while (p.searching())
        step(&p, I_[p.middle()]);
    return finish(p, pos);
}

// The searches of count positions from first, a step of each in turn: the
// index entries of all middles are fetched, then the old bytes they point
// at, so the loads of one round overlap.
void Differ::searchBatch(int64_t first, int count)
{
    Probe probes[kBatch];
    int64_t at[kBatch];
    for (int k = 0; k < count; ++k)
        probes[k] = probe(first + k);
    for (bool active = true; active;) {
        for (int k = 0; k < count; ++k) {
            if (probes[k].searching())
                __builtin_prefetch(I_ + probes[k].middle());
        }
        for (int k = 0; k < count; ++k) {
            if (probes[k].searching()) {
                at[k] = I_[probes[k].middle()];
                __builtin_prefetch(old_ + at[k]);
            }
        }
        active = false;
        for (int k = 0; k < count; ++k) {
            if (probes[k].searching()) {
                step(&probes[k], at[k]);
                active = active || probes[k].searching();
            }
        }
    }
    for (int k = 0; k < count; ++k) {
        batch_[k].scan = first + k;
        batch_[k].len = finish(probes[k], &batch_[k].pos);
    }
    batchFirst_ = first;
    batchCount_ = count;
}

bool Differ::matchesAtLastOffset(int64_t at) const
{
    const int64_t o = at + lastOffset_;
    return o >= 0 && o < oldSize_ && old_[o] == new_[at];
}

// How many positions in [from, to) match at the last offset.
int64_t Differ::matchesAtLastOffset(int64_t from, int64_t to) const
{
    from = std::max(from, -lastOffset_);
    to = std::min(to, oldSize_ - lastOffset_);
    return from < to ? countEqual(old_ + from + lastOffset_, new_ + from, to - from) : 0;
}

// Length after lastScan/lastPos with the best score 2*matches - length.
int64_t Differ::forwardExtension(int64_t scan) const
{
    const uint8_t* a = old_ + lastPos_;
    const uint8_t* b = new_ + lastScan_;
    const int64_t n = std::min(scan - lastScan_, oldSize_ - lastPos_);
    Extension e;
    while (e.steps() + 16 <= n) {
        const int64_t i = e.steps();
        if (!e.block(equalMask16(a + i, b + i))) {
            for (int j = 0; j < 16; ++j)
                e.step(a[i + j] == b[i + j]);
        }
    }
    while (e.steps() < n)
        e.step(a[e.steps()] == b[e.steps()]);
    return e.length();
}

int64_t Differ::backwardExtension(int64_t scan, int64_t pos) const
{
    if (scan >= newSize_)
        return 0;
    // Step i compares a[-i] with b[-i].
    const uint8_t* a = old_ + pos;
    const uint8_t* b = new_ + scan;
    const int64_t n = std::min(scan - lastScan_, pos);
    Extension e;
    while (e.steps() + 16 <= n) {
        const int64_t i = e.steps();
        // Bit j of the mask is step i + 16 - j; a block's two tests read
        // only the count and the all-equal case, which do not depend on order.
        if (!e.block(equalMask16(a - i - 16, b - i - 16))) {
            for (int j = 1; j <= 16; ++j)
                e.step(a[-i - j] == b[-i - j]);
        }
    }
    while (e.steps() < n)
        e.step(a[-e.steps() - 1] == b[-e.steps() - 1]);
    return e.length();
}

// Splits a region claimed by both extensions where the forward side has
// gained the most over the backward side.
void Differ::resolveOverlap(int64_t scan, int64_t pos, int64_t* lenf, int64_t* lenb) const
{
    const int64_t overlap = (lastScan_ + *lenf) - (scan - *lenb);
    if (overlap <= 0)
        return;
    int64_t s = 0;
    int64_t best = 0;
    int64_t lens = 0;
    for (int64_t i = 0; i < overlap; ++i) {
        if (new_[lastScan_ + *lenf - overlap + i] == old_[lastPos_ + *lenf - overlap + i])
            ++s;
        if (new_[scan - *lenb + i] == old_[pos - *lenb + i])
            --s;
        if (s > best) {
            best = s;
            lens = i + 1;
        }
    }
    *lenf += lens - overlap;
    *lenb -= lens;
}

bool Differ::writeEntry(int64_t lenf, int64_t extra, int64_t seek)
{
    uint8_t control[24];
    offtout(lenf, control);
    offtout(extra, control + 8);
    offtout(seek, control + 16);
    if (stream_->write(stream_, control, sizeof control) != 0)
        return false;
    const uint8_t* from = new_ + lastScan_;
    const uint8_t* base = old_ + lastPos_;
    // Diff bytes go out through the work buffer, one window at a time.
    for (int64_t done = 0; done < lenf;) {
        const int64_t piece = std::min(lenf - done, kBsDiffWorkSize);
        subtractBytes(work_, from + done, base + done, piece);
        if (!bsdiffWriteAll(stream_, work_, piece))
            return false;
        done += piece;
    }
    return bsdiffWriteAll(stream_, from + lenf, extra);
}

bool Differ::closeEntry(int64_t scan, int64_t pos)
{
    int64_t lenb = 0;
    if (stream_) {
        int64_t lenf = forwardExtension(scan);
        lenb = backwardExtension(scan, pos);
        resolveOverlap(scan, pos, &lenf, &lenb);
        const int64_t extra = (scan - lenb) - (lastScan_ + lenf);
        const int64_t seek = (pos - lenb) - (lastPos_ + lenf);
        if (!writeEntry(lenf, extra, seek))
            return false;
    }
    lastScan_ = scan - lenb;
    lastPos_ = pos - lenb;
    lastOffset_ = pos - scan;
    return true;
}

bool Differ::run()
{
    int64_t scan = start_;
    int64_t len = 0;
    int64_t pos = 0;
    while (scan < limit_) {
        int64_t oldScore = 0;
        int64_t scsc = scan += len;
        for (; scan < limit_; ++scan) {
            if (stop_ && stop_->load(std::memory_order_relaxed))
                return false;
            len = lookup(scan, &pos);
            if (scsc < scan + len) {
                oldScore += matchesAtLastOffset(scsc, scan + len);
                scsc = scan + len;
            }
            if ((len == oldScore && len != 0) || len > oldScore + 8)
                break;
            if (matchesAtLastOffset(scan))
                --oldScore;
        }
        if (scan >= limit_ && limit_ < newSize_)
            return true;  // a walk ends at its segment's end
        if (len == oldScore && scan != newSize_)
            continue;
        if (!closeEntry(scan, pos))
            return false;
    }
    return true;
}

} // namespace

int bsdiffFast(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
               diff_stream* stream, int threads)
{
    auto* I = static_cast<Index*>(stream->malloc(size_t(oldsize + 1) * sizeof(Index)));
    auto* work = static_cast<uint8_t*>(stream->malloc(size_t(std::min(newsize + 1, kBsDiffWorkSize))));
    if (I && oldsize >= kBsDiffHelperMinSize)
        prefault(I, size_t(oldsize + 1) * sizeof(Index), std::max(1, std::min(threads, kMaxThreads)));
    bool ok = I && work && bsdiffSortSuffixes(old, oldsize, I);
    if (ok) {
        Differ differ(old, oldsize, newData, newsize, I);
        const int scanThreads = newsize >= kBsDiffHelperMinSize ? std::min(threads, kMaxThreads) : 1;
        std::unique_ptr<SearchAhead> ahead;
        if (scanThreads > 1)
            ahead.reset(new SearchAhead(differ, newsize, scanThreads));
        differ.setOutput(work, stream, ahead.get());
        ok = differ.run();
    }
    if (I)
        stream->free(I);
    if (work)
        stream->free(work);
    return ok ? 0 : -1;
}
