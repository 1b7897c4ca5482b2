// The patch list that turns the camera's rebuilt image into the new package
// chunk by chunk, and the compressed container of small uploads.

#include "upgrade/UvcUpgradeTask.h"

#include "comm/Util.h"
#include "package/LZMA.h"
#include "package/LargeBuffer.h"
#include "package/UpgradePkgPatch.h"
#include "upgrade/LocalFiles.h"
#include "package/StoreFolder.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QThread>
#include <QVector>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <future>
#include <initializer_list>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

namespace vesk {
namespace pc {

namespace {

constexpr uint32_t kListMagic = 0x74707362;  // "bspt"
constexpr int kRecord = 64;
constexpr int kCrcAt = 60;
constexpr int kMd5At = 20;
constexpr qint64 kMaxChunk = 0x800000;
constexpr int kLzmaLevel = 5;
constexpr qint64 kMaxCompressInput = 0xFFFFFFFFll;  // the container's length field

struct Chunk
{
    int index = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
    QString patchPath;
};

// Cores this process may run on (a pinned process gets fewer).
int availableCores()
{
#ifdef __linux__
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof(set), &set) == 0)
        return std::max(1, CPU_COUNT(&set));
#endif
    return std::max(1, QThread::idealThreadCount());
}

// Boundaries at every split point and every 8 MiB between them. Split
// points must not go back and must end at the package's length, so the
// chunks cover the package exactly once.
bool chunkBoundaries(const QList<uint32_t>& splitPoints, qint64 total, QVector<Chunk>* chunks)
{
    qint64 position = 0;
    auto add = [&](qint64 boundary) {
        Chunk chunk;
        chunk.index = chunks->size();
        chunk.offset = uint32_t(position);
        chunk.length = uint32_t(boundary - position);
        chunks->append(chunk);
        position = boundary;
    };
    for (const uint32_t split : splitPoints) {
        if (split < position) {
            qCritical() << "invalid split point" << Qt::hex << split << "after" << position;
            return false;
        }
        while (position + kMaxChunk < split)
            add(position + kMaxChunk);
        add(split);
    }
    if (position != total) {
        qCritical() << "split points end at" << Qt::hex << position << "not at the package length" << total;
        return false;
    }
    return true;
}

// Removes the chunk patches that are still on disk when the list is done
// or abandoned.
struct ChunkFiles
{
    const QVector<Chunk>& chunks;
    ~ChunkFiles()
    {
        for (const Chunk& chunk : chunks)
            StoreFolder::removePath(chunk.patchPath);
    }
};

// Threads for the diff of a chunk: in proportion to its length, every core
// for the longest. Its suffix sort runs on one core; when the longest
// chunks' sorts end, the shorter chunks have left most cores, and the
// scan's helpers and the bzip2 blocks take them up as they come free.
int chunkThreads(uint32_t length, uint32_t longest, int cores)
{
    return std::max(1, int(qint64(cores) * length / std::max<uint32_t>(1, longest)));
}

// Which chunks raise the progress by a step when they are diffed: in
// chunk order, each whose end reaches the next step's share of the package,
// at most one step per chunk. Decided before the diffs, which end in any
// order, so that the steps do not depend on it.
QVector<bool> progressSteps(const QVector<Chunk>& chunks, qint64 total, int steps)
{
    QVector<bool> steppers(chunks.size(), false);
    const qint64 perStep = steps > 0 ? total / steps : 0;
    qint64 step = 1;
    for (int k = 0; steps > 0 && k < chunks.size(); ++k) {
        if (qint64(chunks[k].offset) + chunks[k].length >= step * perStep) {
            steppers[k] = true;
            ++step;
        }
    }
    return steppers;
}

// Diffs the chunks on a bounded pool, the longest first, so that their
// sorts start at once and the pool stays busy until the end; done(index)
// runs after each success.
template <typename Done>
bool diffChunks(const QVector<Chunk>& chunks, const LargeBuffer& image, const LargeBuffer& package,
                Done done)
{
    QVector<int> order(chunks.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return chunks[a].length > chunks[b].length; });
    const int cores = availableCores();
    const int workers = std::max(1, std::min(cores, int(chunks.size())));
    const uint32_t longest = chunks.isEmpty() ? 0 : chunks[order[0]].length;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (int job = next++; job < order.size() && !failed; job = next++) {
            const Chunk& chunk = chunks[order[job]];
            qDebug() << "bsdiff start" << chunk.index << Qt::hex << chunk.offset << chunk.length;
            const uint8_t* old = image.data() + chunk.offset;
            const uint8_t* now = package.data() + chunk.offset;
            if (UpgradePkgPatch::generatePatchFile(old, chunk.length, now, chunk.length, chunk.patchPath,
                                                   chunkThreads(chunk.length, longest, cores))
                != 0) {
                qCritical() << "bsdiff failed" << chunk.index << chunk.patchPath;
                failed = true;
                return;
            }
            done(chunk.index);
        }
    };
    std::vector<std::thread> pool;
    for (int i = 1; i < workers; ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    return !failed;
}

// A 64-byte header or entry: u32 fields from the start, the rest zero but
// for what the caller adds, and the CRC-32 of bytes 0 to 59 at 60.
struct Record
{
    uint8_t bytes[kRecord] = {};

    explicit Record(std::initializer_list<uint32_t> fields)
    {
        int at = 0;
        for (const uint32_t field : fields) {
            qToLittleEndian<quint32>(field, bytes + at);
            at += 4;
        }
    }
    void storeAt(QByteArray* list, int slot)
    {
        qToLittleEndian<quint32>(Util::crc32ForBuf(bytes, kCrcAt), bytes + kCrcAt);
        std::memcpy(list->data() + kRecord * slot, bytes, kRecord);
    }
};

// Appends chunk k's patch to the list with its entry; the list never
// grows longer than limit (the package's length).
bool appendPatch(const Chunk& chunk, qint64 limit, QByteArray* list)
{
    QFile patch;
    if (!StoreFolder::openPath(chunk.patchPath, &patch)) {
        qCritical() << "open failed" << chunk.patchPath;
        return false;
    }
    const qint64 at = list->size();
    const qint64 length = patch.size();
    if (at + length > limit) {
        qCritical() << "patch list outgrows the package:" << at + length << ">" << limit;
        return false;
    }
    list->resize(int(at + length));
    if (patch.read(list->data() + at, length) != length) {
        qCritical() << "read failed " << chunk.patchPath << patch.errorString();
        return false;
    }
    Record entry{uint32_t(chunk.index), uint32_t(at), uint32_t(length), chunk.offset, chunk.length};
    const QByteArray md5 = QCryptographicHash::hash(QByteArray::fromRawData(list->constData() + at, int(length)),
                                                    QCryptographicHash::Md5);
    std::memcpy(entry.bytes + kMd5At, md5.constData(), size_t(md5.size()));
    entry.storeAt(list, chunk.index + 1);
    qInfo() << "bsdiff successfully" << chunk.index << at << length << "total size" << at + length;
    patch.close();
    StoreFolder::removePath(chunk.patchPath);
    return true;
}

// Reads one input of the list whole; false (logged) when it cannot.
bool readInput(const QString& path, LargeBuffer* data)
{
    QFile file;
    if (!StoreFolder::openPath(path, &file)) {
        qCritical() << "open failed" << path;
        return false;
    }
    QString error;
    switch (LargeBuffer::read(&file, UpgradePkgPatch::kMaxFileSize, data, &error)) {
    case LargeBuffer::Read::Ok:
        return true;
    case LargeBuffer::Read::TooLarge:
        qCritical() << "File too large:" << path << file.size() << "limit" << UpgradePkgPatch::kMaxFileSize;
        break;
    case LargeBuffer::Read::OpenFailed:
    case LargeBuffer::Read::ReadFailed:
        qCritical() << "read failed " << path << error;
        break;
    }
    return false;
}

} // namespace

bool UvcUpgradeTask::bspatchListGenerate(const QString& oldPath, const QString& newPath,
                                          const QString& outPath, const QList<uint32_t>& splitPoints,
                                          int steps)
{
    // Both inputs are read at once (the package on a thread of its own).
    LargeBuffer image;
    LargeBuffer package;
    std::future<bool> packageRead =
        std::async(std::launch::async | std::launch::deferred, readInput, newPath, &package);
    const bool imageRead = readInput(oldPath, &image);
    if (!packageRead.get() || !imageRead)
        return false;
    if (image.size() != package.size()) {
        qCritical() << "length not match" << oldPath << image.size() << "vs" << newPath << package.size();
        return false;
    }
    QVector<Chunk> chunks;
    if (!chunkBoundaries(splitPoints, package.size(), &chunks))
        return false;
    const QString tag = StoreFolder::uniqueSuffix();
    for (Chunk& chunk : chunks)
        chunk.patchPath = QStringLiteral("%1.tmp%2.%3").arg(outPath).arg(chunk.index).arg(tag);
    const ChunkFiles cleanup{chunks};
    const qint64 headLength = qint64(kRecord) * (chunks.size() + 1);
    if (headLength > package.size()) {
        qCritical() << "patch list outgrows the package:" << headLength << ">" << package.size();
        return false;
    }

    const QVector<bool> steppers = progressSteps(chunks, package.size(), steps);
    auto chunkDone = [&](int index) {
        if (steppers.at(index))
            raiseProgress();
    };
    if (!diffChunks(chunks, image, package, chunkDone))
        return false;
    image.clear();
    const qint64 limit = package.size();
    package.clear();

    QByteArray list(int(headLength), '\0');
    for (const Chunk& chunk : chunks) {
        if (!appendPatch(chunk, limit, &list))
            return false;
    }
    Record{kListMagic, uint32_t(headLength), uint32_t(list.size()), uint32_t(chunks.size())}.storeAt(&list, 0);
    if (!LocalFiles::writeAll(outPath, {list}, "fwrite failed"))
        return false;
    qInfo() << "generate patch list successfully" << outPath;
    return true;
}

bool UvcUpgradeTask::fileCompress(const QString& inPath, const QString& outPath)
{
    QByteArray input;
    if (!LocalFiles::readAll(inPath, &input, "open file failed:", kMaxCompressInput))
        return false;
    qInfo() << "start to encode, file size =" << input.size();
    QByteArray packed;
    unsigned char prop = 0;
    const int result = LZMA::encode2(input, &packed, &prop, kLzmaLevel);
    if (result != LZMA::kOk) {
        qCritical() << "lzma ecode2 failed, error code =" << result;
        return false;
    }
    QByteArray header("lzma");
    header.append(char(prop));
    char length[4];
    qToLittleEndian<quint32>(uint32_t(input.size()), length);
    header.append(length, 4);
    if (!LocalFiles::writeAll(outPath, {header, packed}, "Write file failed:"))
        return false;
    qInfo() << "compress successfully" << inPath << input.size() << "-->" << packed.size();
    return true;
}

} // namespace pc
} // namespace vesk
