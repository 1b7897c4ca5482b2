#include "support/TestHome.h"
#include "support/PatchTestBytes.h"
#include "package/BsDiff.h"
#include "package/BsDiffFast.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

using namespace patchtest;

namespace {

// Diff output collected in memory, with allocations counted.
struct MemoryDiff
{
    diff_stream stream = {this, allocate, release, append};
    QByteArray out;
    int live = 0;
    int failAt = -1;  // index of the malloc call that returns null
    int calls = 0;

    static MemoryDiff* self(void* ptr) { return static_cast<MemoryDiff*>(ptr); }
    static thread_local MemoryDiff* current;

    static void* allocate(size_t size)
    {
        if (current->calls++ == current->failAt)
            return nullptr;
        ++current->live;
        return std::malloc(size);
    }
    static void release(void* ptr)
    {
        --current->live;
        std::free(ptr);
    }
    static int append(diff_stream* stream, const void* buffer, int size)
    {
        self(stream->opaque)->out.append(static_cast<const char*>(buffer), size);
        return 0;
    }

    int runPlain(const QByteArray& oldData, const QByteArray& newData)
    {
        current = this;
        return bsdiffPlain(bytes(oldData), oldData.size(), bytes(newData), newData.size(), &stream);
    }
    int runFast(const QByteArray& oldData, const QByteArray& newData, int threads)
    {
        current = this;
        return bsdiffFast(bytes(oldData), oldData.size(), bytes(newData), newData.size(), &stream,
                          threads);
    }

    // threads 0: bsdiff's own choice.
    int run(const QByteArray& oldData, const QByteArray& newData, int threads = 0)
    {
        current = this;
        return threads == 0 ? bsdiff(bytes(oldData), oldData.size(), bytes(newData),
                                     newData.size(), &stream)
                            : bsdiffThreads(bytes(oldData), oldData.size(), bytes(newData),
                                            newData.size(), &stream, threads);
    }
};
thread_local MemoryDiff* MemoryDiff::current = nullptr;

struct MemoryPatch
{
    patch_stream stream = {this, take};
    QByteArray in;
    int pos = 0;

    static int take(const patch_stream* stream, void* buffer, int length)
    {
        auto* self = static_cast<MemoryPatch*>(stream->opaque);
        if (length > self->in.size() - self->pos)
            return -1;
        std::memcpy(buffer, self->in.constData() + self->pos, size_t(length));
        self->pos += length;
        return 0;
    }
};

// Applies diff into newData's whole buffer and again streamed, in windows;
// -2 when the two ways disagree.
int applyDiff(const QByteArray& oldData, const QByteArray& diff, QByteArray* newData)
{
    MemoryPatch whole;
    whole.in = diff;
    const int result = bspatch(bytes(oldData), oldData.size(),
                               reinterpret_cast<uint8_t*>(newData->data()), newData->size(),
                               &whole.stream);
    MemoryPatch streamed;
    streamed.in = diff;
    QByteArray pieces;
    const int streamedResult = bspatchStreamed(
        bytes(oldData), oldData.size(), newData->size(), &streamed.stream,
        [&pieces](const uint8_t* data, int64_t length) {
            pieces.append(reinterpret_cast<const char*>(data), int(length));
            return true;
        });
    if (streamedResult != result || (result == 0 && pieces != *newData))
        return -2;
    return result;
}

// Mostly text-like bytes: small alphabet, repeats but no long runs.
QByteArray wordyBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char('a' + random.bounded(20) + (i % 7 == 0 ? 32 : 0));
    return data;
}

// A realistic revision: scattered changed bytes, a moved block, an insert.
QByteArray revised(const QByteArray& old, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data = old;
    for (int i = 0; i < data.size(); i += 1000 + int(random.bounded(3000)))
        data[i] = char(data[i] ^ 0x5A);
    const int third = data.size() / 3;
    data = data.mid(third, third) + data.left(third) + data.mid(2 * third);
    data.insert(data.size() / 2, randomBytes(data.size() / 50 + 1, seed + 1));
    return data;
}

// Zeros with random 4,000-byte islands, about one per 46 KiB.
QByteArray islands(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, '\0');
    for (int k = 0; k < size / 46600; ++k)
        data.replace(int(random.bounded(size - 4000)), 4000, randomBytes(4000, seed + quint32(k)));
    return data;
}

// About one edit per 93 KiB, in turn: an insertion, a deletion (1 to 3,000
// bytes each), a 20,000-byte stretch XORed every few bytes.
QByteArray sparseEdits(QByteArray data, quint32 seed)
{
    QRandomGenerator random(seed);
    const int edits = data.size() / 93000;
    for (int k = 0; k < edits; ++k) {
        const int at = int(random.bounded(data.size() - 20000));
        const int length = 1 + int(random.bounded(3000));
        if (k % 3 == 0) {
            data.insert(at, randomBytes(length, seed + quint32(k)));
        } else if (k % 3 == 1) {
            data.remove(at, length);
        } else {
            for (int i = at; i < at + 20000; i += 1 + int(random.bounded(8)))
                data[i] = char(data[i] ^ char(1 + random.bounded(255)));
        }
    }
    return data;
}

// The diff as the algorithm states it, one byte and one comparison at a
// time, over suffixes sorted by plain comparison: what the fast scan must
// reproduce exactly.
class ReferenceDiff
{
public:
    ReferenceDiff(const QByteArray& oldData, const QByteArray& newData)
        : old_(bytes(oldData)), oldSize_(oldData.size()), new_(bytes(newData)),
          newSize_(newData.size()), I_(size_t(oldSize_) + 1)
    {
        std::iota(I_.begin(), I_.end(), 0);
        std::sort(I_.begin(), I_.end(), [this](int64_t a, int64_t b) {
            const int64_t n = std::min(oldSize_ - a, oldSize_ - b);
            const int c = std::memcmp(old_ + a, old_ + b, size_t(n));
            return c != 0 ? c < 0 : oldSize_ - a < oldSize_ - b;
        });
    }

    QByteArray run()
    {
        int64_t scan = 0, len = 0, pos = 0, lastScan = 0, lastPos = 0, lastOffset = 0;
        while (scan < newSize_) {
            int64_t oldScore = 0;
            int64_t scsc = scan += len;
            for (; scan < newSize_; ++scan) {
                len = search(scan, &pos);
                for (; scsc < scan + len; ++scsc)
                    oldScore += same(scsc + lastOffset, scsc);
                if ((len == oldScore && len != 0) || len > oldScore + 8)
                    break;
                oldScore -= same(scan + lastOffset, scan);
            }
            if (len == oldScore && scan != newSize_)
                continue;
            int64_t lenf = best(lastScan < scan ? std::min(scan - lastScan, oldSize_ - lastPos) : 0,
                                [&](int64_t i) { return same(lastPos + i - 1, lastScan + i - 1); });
            int64_t lenb = scan < newSize_ ? best(std::min(scan - lastScan, pos), [&](int64_t i) {
                return same(pos - i, scan - i);
            }) : 0;
            const int64_t overlap = (lastScan + lenf) - (scan - lenb);
            if (overlap > 0) {
                int64_t s = 0, top = 0, lens = 0;
                for (int64_t i = 0; i < overlap; ++i) {
                    s += same(lastPos + lenf - overlap + i, lastScan + lenf - overlap + i);
                    s -= same(pos - lenb + i, scan - lenb + i);
                    if (s > top) {
                        top = s;
                        lens = i + 1;
                    }
                }
                lenf += lens - overlap;
                lenb -= lens;
            }
            put(lenf, (scan - lenb) - (lastScan + lenf), (pos - lenb) - (lastPos + lenf), lastScan,
                 lastPos);
            lastScan = scan - lenb;
            lastPos = pos - lenb;
            lastOffset = pos - scan;
        }
        return out_;
    }

private:
    int same(int64_t oldAt, int64_t newAt) const
    {
        return oldAt >= 0 && oldAt < oldSize_ && old_[oldAt] == new_[newAt] ? 1 : 0;
    }
    int64_t common(int64_t oldAt, int64_t newAt) const
    {
        int64_t n = 0;
        while (oldAt + n < oldSize_ && newAt + n < newSize_ && old_[oldAt + n] == new_[newAt + n])
            ++n;
        return n;
    }
    int64_t search(int64_t scan, int64_t* pos) const
    {
        int64_t st = 0, en = oldSize_;
        while (en - st >= 2) {
            const int64_t x = st + (en - st) / 2;
            const int64_t n = std::min(oldSize_ - I_[x], newSize_ - scan);
            if (std::memcmp(old_ + I_[x], new_ + scan, size_t(n)) < 0)
                st = x;
            else
                en = x;
        }
        const int64_t x = common(I_[st], scan), y = common(I_[en], scan);
        *pos = x > y ? I_[st] : I_[en];
        return std::max(x, y);
    }
    // The length up to steps with the greatest 2 * matches - length.
    template <typename Same>
    static int64_t best(int64_t steps, Same same)
    {
        int64_t s = 0, top = 0, length = 0;
        for (int64_t i = 1; i <= steps; ++i) {
            s += same(i);
            if (s * 2 - i > top * 2 - length) {
                top = s;
                length = i;
            }
        }
        return length;
    }
    void put(int64_t x, int64_t y, int64_t z, int64_t from, int64_t base)
    {
        uint8_t control[24];
        offtout(x, control);
        offtout(y, control + 8);
        offtout(z, control + 16);
        out_.append(reinterpret_cast<const char*>(control), 24);
        for (int64_t i = 0; i < x; ++i)
            out_.append(char(new_[from + i] - old_[base + i]));
        out_.append(reinterpret_cast<const char*>(new_ + from + x), int(y));
    }

    const uint8_t* old_;
    int64_t oldSize_;
    const uint8_t* new_;
    int64_t newSize_;
    std::vector<int64_t> I_;
    QByteArray out_;
};

} // namespace

class tst_BsDiff : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void offtEncoding_data();
    void offtEncoding();
    void offtinOddEncodings();
    void goldenStreams_data();
    void goldenStreams();
    void sameAsReference_data();
    void sameAsReference();
    void roundTrip_data();
    void roundTrip();
    void largeRoundTrip();
    void fastSameAsPlain_data();
    void fastSameAsPlain();
    void threadsGiveSameOutput_data();
    void threadsGiveSameOutput();
    void allocationsFreed();
    void mallocFailure();
    void writeFailure();
    void patchRejectsBadControls_data();
    void patchRejectsBadControls();
    void seekOutsideOldStillApplies();
    void streamedSinkStops();
};

// Sign-and-magnitude, little-endian.
void tst_BsDiff::offtEncoding_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("zero") << qint64(0) << hex("0000000000000000");
    QTest::newRow("one") << qint64(1) << hex("0100000000000000");
    QTest::newRow("minus one") << qint64(-1) << hex("0100000000000080");
    QTest::newRow("0x1234") << qint64(0x1234) << hex("3412000000000000");
    QTest::newRow("max") << qint64(INT64_MAX) << hex("ffffffffffffff7f");
    QTest::newRow("-(2^63-1)") << -qint64(INT64_MAX) << hex("ffffffffffffffff");
}

void tst_BsDiff::offtEncoding()
{
    QFETCH(qint64, value);
    QFETCH(QByteArray, encoded);
    uint8_t buf[8];
    offtout(value, buf);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buf), 8), encoded);
    QCOMPARE(qint64(offtin(bytes(encoded))), value);
}

void tst_BsDiff::offtinOddEncodings()
{
    QCOMPARE(qint64(offtin(bytes(hex("0000000000000080")))), qint64(0));  // negative zero
    QCOMPARE(qint64(offtin(bytes(hex("0000000000000180")))), -(qint64(1) << 48));
}

void tst_BsDiff::goldenStreams_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    QTest::addColumn<QByteArray>("stream");
    // Identical data: x = n, y = 0, z = -n, then n zero diff bytes.
    QTest::newRow("identical") << QByteArray("abcde") << QByteArray("abcde")
                               << hex("0500000000000000" "0000000000000000" "0500000000000080"
                                      "0000000000");
    // Empty old data: everything is extra bytes.
    QTest::newRow("empty old") << QByteArray() << QByteArray("xyz")
                               << hex("0000000000000000" "0300000000000000" "0000000000000000"
                                      "78797a");
    QTest::newRow("empty new") << QByteArray("abc") << QByteArray() << QByteArray();
    QTest::newRow("both empty") << QByteArray() << QByteArray() << QByteArray();
}

void tst_BsDiff::goldenStreams()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    QFETCH(QByteArray, stream);
    MemoryDiff diff;
    QCOMPARE(diff.run(oldData, newData), 0);
    QCOMPARE(diff.out.toHex(), stream.toHex());
}

void tst_BsDiff::sameAsReference_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    const QByteArray wordy = wordyBytes(60000, 21);
    QByteArray zeros(40000, '\0');
    for (int i = 0; i < zeros.size(); i += 777)
        zeros[i] = char(i);
    QTest::newRow("similar") << wordy << revised(wordy, 22);
    QTest::newRow("moved and patched") << wordy << wordy.mid(30000) + revised(wordy.left(30000), 23);
    QTest::newRow("unrelated") << randomBytes(30000, 24) << randomBytes(20000, 25);
    QTest::newRow("sparse runs") << zeros << revised(zeros, 26);
    // Copied stretches of every length modulo 16 between unrelated bytes,
    // so that matches end at every place within a 16-byte step.
    QByteArray spliced;
    for (int i = 0; i < 48; ++i)
        spliced += wordy.mid(i * 1200, 700 + i) + randomBytes(40 + i % 5, 27 + quint32(i));
    QTest::newRow("spliced") << wordy << spliced;
    QTest::newRow("same") << wordy << wordy;
    QTest::newRow("prefix of old") << wordy << wordy.left(1234);
}

// The fast scan (batched searches, blockwise extensions) against the
// byte-at-a-time algorithm.
void tst_BsDiff::sameAsReference()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    MemoryDiff diff;
    QCOMPARE(diff.run(oldData, newData), 0);
    QVERIFY(diff.out == ReferenceDiff(oldData, newData).run());
}

void tst_BsDiff::roundTrip_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    const QByteArray wordy = wordyBytes(200000, 7);
    QTest::newRow("random pair") << randomBytes(70000, 1) << randomBytes(50000, 2);
    QTest::newRow("similar") << wordy << revised(wordy, 3);
    QTest::newRow("shifted") << wordy << QByteArray("inserted at the start") + wordy.mid(99);
    QTest::newRow("runs") << QByteArray(5000, 'a') << QByteArray(3000, 'a') + "b" + QByteArray(900, 'a');
    QTest::newRow("empty old") << QByteArray() << randomBytes(1000, 4);
    QTest::newRow("empty new") << randomBytes(1000, 5) << QByteArray();
    QTest::newRow("one byte") << QByteArray("a") << QByteArray("b");
}

void tst_BsDiff::roundTrip()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    MemoryDiff diff;
    QCOMPARE(diff.run(oldData, newData), 0);
    QByteArray rebuilt(newData.size(), '\0');
    QCOMPARE(applyDiff(oldData, diff.out, &rebuilt), 0);
    QVERIFY(rebuilt == newData);
}

void tst_BsDiff::largeRoundTrip()
{
    const QByteArray oldData = wordyBytes(9 * 1024 * 1024, 11);
    const QByteArray newData = revised(oldData, 12);
    QVERIFY(newData.size() > 8 * 1024 * 1024);
    MemoryDiff diff;
    QCOMPARE(diff.run(oldData, newData), 0);
    // Mostly zero diff bytes: the match was found, not replaced by extra bytes.
    QVERIFY(diff.out.size() - diff.out.count('\0') < newData.size() / 20);
    QByteArray rebuilt(newData.size(), '\0');
    QCOMPARE(applyDiff(oldData, diff.out, &rebuilt), 0);
    QVERIFY(rebuilt == newData);
}

void tst_BsDiff::fastSameAsPlain_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    const QByteArray wordy = wordyBytes(60000, 31);
    QTest::newRow("similar") << wordy << revised(wordy, 32);
    QTest::newRow("unrelated") << randomBytes(30000, 33) << randomBytes(20000, 34);
    QTest::newRow("empty old") << QByteArray() << randomBytes(1000, 35);
    QTest::newRow("empty new") << randomBytes(1000, 36) << QByteArray();
    const QByteArray old = islands(300 << 10, 39);
    QTest::newRow("islands") << old << sparseEdits(old, 40);
    // Large enough for the fast diff's helper threads.
    const QByteArray large = wordyBytes(1100 * 1024, 37);
    QTest::newRow("large revised") << large << revised(large, 38);
}

// The fast diff, with and without helpers, against the plain one that
// states the algorithm: the same bytes.
void tst_BsDiff::fastSameAsPlain()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    MemoryDiff plain;
    QCOMPARE(plain.runPlain(oldData, newData), 0);
    QCOMPARE(plain.live, 0);
    for (int threads : {1, 4}) {
        MemoryDiff fast;
        QCOMPARE(fast.runFast(oldData, newData, threads), 0);
        QVERIFY2(fast.out == plain.out, qPrintable(QString("%1 threads").arg(threads)));
    }
    MemoryDiff chosen;
    QCOMPARE(chosen.run(oldData, newData), 0);
    QVERIFY(chosen.out == plain.out);
}

void tst_BsDiff::threadsGiveSameOutput_data()
{
    QTest::addColumn<QByteArray>("oldData");
    QTest::addColumn<QByteArray>("newData");
    QTest::addColumn<int>("rounds");
    const QByteArray wordy = wordyBytes(3 * 1024 * 1024, 61);
    QTest::newRow("revised") << wordy << revised(wordy, 62) << 1;
    QTest::newRow("unrelated") << randomBytes(1 << 20, 63) << randomBytes((1 << 20) + 4321, 64)
                               << 1;
    QTest::newRow("runs") << QByteArray(1 << 20, '\0') + wordy.left(1 << 20)
                          << wordy.left(1 << 19) + QByteArray(3 << 19, '\0') + wordy.mid(99, 1 << 20)
                          << 1;
    // Long matches over zeros jump over many 8 KiB search segments, and
    // timing decides which: many rounds.
    const auto addIslands = [](const char* name, int size, quint32 seed, int rounds) {
        const QByteArray old = islands(size, seed);
        QTest::newRow(name) << old << sparseEdits(old, seed + 1) << rounds;
    };
    addIslands("islands 1500 KiB", 1500 << 10, 77, 12);
    addIslands("islands 2100 KiB", 2100 << 10, 78, 10);
    // Outside CI, ORLACAM_DIFF_SOAK=rounds runs this too (select it by name).
    if (const int rounds = qEnvironmentVariableIntValue("ORLACAM_DIFF_SOAK"))
        addIslands("islands 8 MiB", 8 << 20, 69, rounds);
}

// Helper threads only search ahead; the entries are those of one thread.
void tst_BsDiff::threadsGiveSameOutput()
{
    QFETCH(QByteArray, oldData);
    QFETCH(QByteArray, newData);
    QFETCH(int, rounds);
    MemoryDiff single;
    QCOMPARE(single.run(oldData, newData, 1), 0);
    for (int round = 0; round < rounds; ++round) {
        for (int threads : {3, 8}) {
            MemoryDiff diff;
            QCOMPARE(diff.run(oldData, newData, threads), 0);
            QVERIFY2(diff.out == single.out, qPrintable(QString("round %1").arg(round)));
        }
    }
    QByteArray rebuilt(newData.size(), '\0');
    QCOMPARE(applyDiff(oldData, single.out, &rebuilt), 0);
    QVERIFY(rebuilt == newData);
}

void tst_BsDiff::allocationsFreed()
{
    MemoryDiff diff;
    QCOMPARE(diff.run(wordyBytes(5000, 1), wordyBytes(4000, 2)), 0);
    QVERIFY(diff.calls >= 2);
    QCOMPARE(diff.live, 0);
}

void tst_BsDiff::mallocFailure()
{
    for (int failAt : {0, 1}) {
        MemoryDiff diff;
        diff.failAt = failAt;
        QCOMPARE(diff.run(QByteArray("old data"), QByteArray("new data")), -1);
        QCOMPARE(diff.live, 0);
        QVERIFY(diff.out.isEmpty());
    }
}

void tst_BsDiff::writeFailure()
{
    MemoryDiff diff;
    diff.stream.write = [](diff_stream*, const void*, int) { return -1; };
    QCOMPARE(diff.run(QByteArray("old data"), QByteArray("new data")), -1);
    QCOMPARE(diff.live, 0);
}

void tst_BsDiff::patchRejectsBadControls_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("x is -1") << hex("0100000000000080" "0000000000000000" "0000000000000000");
    QTest::newRow("y is -1") << hex("0000000000000000" "0100000000000080" "0000000000000000");
    QTest::newRow("x past end") << hex("0500000000000000" "0000000000000000" "0000000000000000"
                                       "0000000000");
    QTest::newRow("x + y past end") << hex("0200000000000000" "0300000000000000"
                                           "0000000000000000" "0000" "616263");
    QTest::newRow("x above 2^31-1") << hex("0000008000000000" "0000000000000000"
                                           "0000000000000000");
    QTest::newRow("stream ends early") << hex("0400000000000000" "0000000000000000"
                                              "0000000000000000" "0000");
    QTest::newRow("no entries") << QByteArray();
    QTest::newRow("seek overflows") << hex("0000000000000000" "0100000000000000"
                                           "ffffffffffffff7f" "61"
                                           "0000000000000000" "0100000000000000"
                                           "ffffffffffffff7f" "62");
}

void tst_BsDiff::patchRejectsBadControls()
{
    QFETCH(QByteArray, stream);
    QByteArray rebuilt(4, '\0');
    QCOMPARE(applyDiff(QByteArray("wxyz"), stream, &rebuilt), -1);
}

// Diff bytes whose old position lies outside the old data are taken as they are.
void tst_BsDiff::seekOutsideOldStillApplies()
{
    const QByteArray stream = hex("0200000000000000" "0000000000000000" "0a00000000000080"
                                  "0101"  // old pos 0: "ab" + 1 -> "bc"
                                  "0200000000000000" "0000000000000000" "0000000000000000"
                                  "4142");  // old pos -8: nothing added
    QByteArray rebuilt(4, '\0');
    QCOMPARE(applyDiff(QByteArray("abcd"), stream, &rebuilt), 0);
    QCOMPARE(rebuilt, QByteArray("bcAB"));
}

// A sink that refuses a window ends the patch there, before more is read.
void tst_BsDiff::streamedSinkStops()
{
    const QByteArray oldData = randomBytes(700000, 31);
    MemoryDiff diff;
    QCOMPARE(diff.run(oldData, oldData), 0);
    MemoryPatch patch;
    patch.in = diff.out;
    int calls = 0;
    const int result = bspatchStreamed(bytes(oldData), oldData.size(), oldData.size(), &patch.stream,
                                       [&calls](const uint8_t*, int64_t length) {
                                           ++calls;
                                           return length < 0;
                                       });
    QCOMPARE(result, -1);
    QCOMPARE(calls, 1);
    QVERIFY(patch.pos < diff.out.size() / 2);
}

QTEST_GUILESS_MAIN(tst_BsDiff)
#include "tst_bsdiff.moc"
