#include "package/BsDiff.h"

#include <QDebug>
#include <QtGlobal>

#include <divsufsort.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using Index = saidx_t;

// Diff bytes are computed in windows of this size.
constexpr int64_t kWorkSize = 1 << 20;
// Below this the scan is too short to be worth helper threads.
constexpr int64_t kMinSpeculativeSize = 1 << 20;
constexpr int kMaxThreads = 8;

int helperThreads()
{
    return int(std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), kMaxThreads));
}

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

bool writeAll(diff_stream* stream, const uint8_t* data, int64_t length)
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

// I[0] is the empty suffix (position oldSize), then the sorted suffixes:
// the order the classic prefix-doubling sort gives.
bool sortSuffixes(const uint8_t* old, int64_t oldSize, Index* I)
{
    I[0] = Index(oldSize);
    return oldSize == 0 || divsufsort(old, I + 1, Index(oldSize)) == 0;
}

struct Match
{
    int64_t scan;
    int64_t len;
    int64_t pos;
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
    void setWalk(int64_t start, int64_t limit, std::vector<Match>* record,
                 const std::atomic<bool>* cancel)
    {
        start_ = start;
        limit_ = std::min(limit, newSize_);
        record_ = record;
        cancel_ = cancel;
    }

    bool run();
    int64_t search(int64_t scan, int64_t* pos) const;

private:
    int64_t lookup(int64_t scan, int64_t* pos);
    bool matchesAtLastOffset(int64_t at) const;
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
    const std::atomic<bool>* cancel_ = nullptr;
    int64_t lastScan_ = 0;
    int64_t lastPos_ = 0;
    int64_t lastOffset_ = 0;
};

// Searches are pure functions of the position, so helper threads walk
// later segments of the new data ahead of the main scan, in order, and
// record their searches; once the main scan's state meets a walk's (at the
// next match boundary), it takes the recorded results instead of searching.
class SearchAhead
{
public:
    SearchAhead(const Differ& prototype, int64_t newSize, int threads)
        : segments_(int(std::max<int64_t>(1, newSize / kSegmentSize))),
          segmentSize_((newSize + segments_ - 1) / segments_), records_(size_t(segments_)),
          cursors_(size_t(segments_), 0), done_(new std::atomic<bool>[size_t(segments_)])
    {
        for (int k = 0; k < segments_; ++k)
            done_[k] = false;
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
        cancel_ = true;
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
        if (!done_[k].load(std::memory_order_acquire)) {
            std::unique_lock<std::mutex> lock(mutex_);
            finished_.wait(lock, [&] { return done_[k].load(std::memory_order_acquire); });
        }
        if (k > 1 && !records_[size_t(k - 1)].empty())
            std::vector<Match>().swap(records_[size_t(k - 1)]);  // the scan has passed it
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
    static constexpr int64_t kSegmentSize = 64 * 1024;

    // Segment 0 is the main scan's own start.
    void walkSegments(const Differ& prototype)
    {
        for (int k = next_++; k < segments_; k = next_++) {
            Differ walker = prototype;
            walker.setWalk(k * segmentSize_, (k + 1) * segmentSize_, &records_[size_t(k)], &cancel_);
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
    std::atomic<int> next_{1};
    std::atomic<bool> cancel_{false};
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
    len = search(scan, pos);
    if (record_)
        record_->push_back({scan, len, *pos});
    return len;
}

int64_t Differ::search(int64_t scan, int64_t* pos) const
{
    const uint8_t* target = new_ + scan;
    const int64_t targetSize = newSize_ - scan;
    int64_t st = 0;
    int64_t en = oldSize_;
    while (en - st >= 2) {
        const int64_t middle = st + (en - st) / 2;
        const int64_t at = I_[middle];
        if (compareBytes(old_ + at, target, std::min(oldSize_ - at, targetSize)) < 0)
            st = middle;
        else
            en = middle;
    }
    const int64_t x = matchLength(old_ + I_[st], oldSize_ - I_[st], target, targetSize);
    const int64_t y = matchLength(old_ + I_[en], oldSize_ - I_[en], target, targetSize);
    *pos = x > y ? I_[st] : I_[en];
    return std::max(x, y);
}

bool Differ::matchesAtLastOffset(int64_t at) const
{
    const int64_t o = at + lastOffset_;
    return o >= 0 && o < oldSize_ && old_[o] == new_[at];
}

// Length after lastScan/lastPos with the best score 2*matches - length.
int64_t Differ::forwardExtension(int64_t scan) const
{
    int64_t s = 0;
    int64_t best = 0;
    int64_t lenf = 0;
    for (int64_t i = 1; lastScan_ + i <= scan && lastPos_ + i <= oldSize_; ++i) {
        if (old_[lastPos_ + i - 1] == new_[lastScan_ + i - 1])
            ++s;
        if (s * 2 - i > best * 2 - lenf) {
            best = s;
            lenf = i;
        }
    }
    return lenf;
}

int64_t Differ::backwardExtension(int64_t scan, int64_t pos) const
{
    if (scan >= newSize_)
        return 0;
    int64_t s = 0;
    int64_t best = 0;
    int64_t lenb = 0;
    for (int64_t i = 1; scan - i >= lastScan_ && pos - i >= 0; ++i) {
        if (old_[pos - i] == new_[scan - i])
            ++s;
        if (s * 2 - i > best * 2 - lenb) {
            best = s;
            lenb = i;
        }
    }
    return lenb;
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
        const int64_t piece = std::min(lenf - done, kWorkSize);
        for (int64_t i = 0; i < piece; ++i)
            work_[i] = uint8_t(from[done + i] - base[done + i]);
        if (!writeAll(stream_, work_, piece))
            return false;
        done += piece;
    }
    return writeAll(stream_, from + lenf, extra);
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
        if (cancel_ && cancel_->load(std::memory_order_relaxed))
            return false;
        int64_t oldScore = 0;
        int64_t scsc = scan += len;
        for (; scan < limit_; ++scan) {
            len = lookup(scan, &pos);
            for (; scsc < scan + len; ++scsc) {
                if (matchesAtLastOffset(scsc))
                    ++oldScore;
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

int bsdiffThreads(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
                  diff_stream* stream, int threads)
{
    if (oldsize < 0 || newsize < 0 || oldsize >= INT_MAX || (oldsize > 0 && !old) ||
        (newsize > 0 && !newData)) {
        qWarning() << "Invalid sizes" << oldsize << newsize;
        return -1;
    }
    auto* I = static_cast<Index*>(stream->malloc(size_t(oldsize + 1) * sizeof(Index)));
    auto* work = static_cast<uint8_t*>(stream->malloc(size_t(std::min(newsize + 1, kWorkSize))));
    bool ok = I && work && sortSuffixes(old, oldsize, I);
    if (ok) {
        Differ differ(old, oldsize, newData, newsize, I);
        const int scanThreads = newsize >= kMinSpeculativeSize ? std::min(threads, kMaxThreads) : 1;
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

extern "C" {

void offtout(int64_t x, uint8_t* buf)
{
    // Magnitude in unsigned arithmetic so that no value overflows.
    uint64_t magnitude = x < 0 ? 0 - uint64_t(x) : uint64_t(x);
    for (int i = 0; i < 8; ++i) {
        buf[i] = uint8_t(magnitude);
        magnitude >>= 8;
    }
    buf[7] = uint8_t((buf[7] & 0x7F) | (x < 0 ? 0x80 : 0));
}

int bsdiff(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
           diff_stream* stream)
{
    return bsdiffThreads(old, oldsize, newData, newsize, stream, helperThreads());
}

} // extern "C"
