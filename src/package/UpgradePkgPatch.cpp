#include "package/UpgradePkgPatch.h"
#include "package/BsDiff.h"
#include "package/Bz2StreamWriter.h"
#include "package/LargeBuffer.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <bzlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>

#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

constexpr char kMagic[16] = {'V', 'O', 'R', 'N', 'A', 'K', 'E', '/',
                             'B', 'S', 'D', 'I', 'F', 'F', '4', '3'};
constexpr int kHeaderSize = 24;

// A C stdio stream over a new store file, renamed over the target by
// commit() and removed otherwise.
class TempOutput
{
public:
    explicit TempOutput(const QString& target)
        : out_(target)
    {
        const int fd = out_.create() ? ::dup(out_.handle()) : -1;
        file_ = fd < 0 ? nullptr : ::fdopen(fd, "wb");
        if (fd >= 0 && !file_)
            ::close(fd);
    }
    ~TempOutput()
    {
        if (file_)
            std::fclose(file_);
    }
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    FILE* file() const { return file_; }

    bool commit(StoreFolder::NewFile::Sync sync)
    {
        FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) {
            qCritical() << "Cannot complete" << out_.path() << std::strerror(errno);
            return false;
        }
        return out_.commit(sync);
    }

private:
    StoreFolder::NewFile out_;
    FILE* file_ = nullptr;
};

int bz2Write(diff_stream* stream, const void* buffer, int size)
{
    return static_cast<Bz2StreamWriter*>(stream->opaque)->write(buffer, size) ? 0 : -1;
}

struct Bz2Reader
{
    BZFILE* handle = nullptr;
    bool ended = false;
};

int bz2Read(const patch_stream* stream, void* buffer, int length)
{
    auto* reader = static_cast<Bz2Reader*>(stream->opaque);
    if (reader->ended)
        return -1;
    int err = BZ_OK;
    const int got = BZ2_bzRead(&err, reader->handle, buffer, length);
    reader->ended = err == BZ_STREAM_END;
    return (err == BZ_OK || err == BZ_STREAM_END) && got == length ? 0 : -1;
}

// The patch is accepted only when its bzip2 stream ends exactly after the
// new file's bytes (which checks the stream's CRC) and nothing follows it.
bool endsCleanly(Bz2Reader* reader, FILE* file)
{
    if (!reader->ended) {
        char extra;
        int err = BZ_OK;
        const int got = BZ2_bzRead(&err, reader->handle, &extra, 1);
        if (err != BZ_STREAM_END || got != 0)
            return false;
    }
    void* unused = nullptr;
    int unusedCount = 0;
    int err = BZ_OK;
    BZ2_bzReadGetUnused(&err, reader->handle, &unused, &unusedCount);
    return err == BZ_OK && unusedCount == 0 && std::fgetc(file) == EOF;
}

// The file's bytes, or the failure to log ("what:", then details).
struct WholeFile
{
    LargeBuffer data;
    const char* failure = nullptr;
    QString details;
};

WholeFile loadWhole(const QString& path, LargeBuffer::Pages pages = LargeBuffer::Pages::Huge)
{
    WholeFile whole;
    QString error;
    switch (LargeBuffer::readFile(path, UpgradePkgPatch::kMaxFileSize, &whole.data, &error, pages)) {
    case LargeBuffer::Read::Ok:
        break;
    case LargeBuffer::Read::OpenFailed:
        whole.failure = "Open file failed:";
        whole.details = path;
        break;
    case LargeBuffer::Read::TooLarge:
        whole.failure = "File too large:";
        whole.details = path + " " + QString::number(QFileInfo(path).size());
        break;
    case LargeBuffer::Read::ReadFailed:
        whole.failure = "Read file failed:";
        whole.details = path + " " + error;
        break;
    }
    return whole;
}

bool takeWhole(WholeFile whole, LargeBuffer* data)
{
    if (whole.failure) {
        qCritical().noquote() << whole.failure << whole.details;
        return false;
    }
    *data = std::move(whole.data);
    return true;
}

bool readWhole(const QString& path, LargeBuffer* data, LargeBuffer::Pages pages = LargeBuffer::Pages::Huge)
{
    return takeWhole(loadWhole(path, pages), data);
}

void logMissing(const char* what, const QString& path)
{
    if (!QFileInfo::exists(path))
        qCritical().noquote() << what << path;
}

// The whole patch file; timer (when given) restarts once the header is out.
// threads: how many the diff's search may use, 0 for every core.
int writePatch(const uint8_t* oldData, int64_t oldSize, const uint8_t* newData, int64_t newSize,
               const QString& patchFile, QElapsedTimer* timer, int threads = 0)
{
    TempOutput out(patchFile);
    if (!out.file()) {
        qCritical().noquote() << "Open patch file failed:" << patchFile;
        return -1;
    }
    uint8_t size[8];
    offtout(newSize, size);
    if (std::fwrite(kMagic, 1, 16, out.file()) != 16 || std::fwrite(size, 1, 8, out.file()) != 8) {
        qCritical() << "Write patch file header failed";
        return -1;
    }
    if (timer)
        timer->restart();
    Bz2StreamWriter bz(out.file());
    // The diff's index is as large as four times the old data.
    diff_stream stream = {&bz, LargeBuffer::allocate, LargeBuffer::release, bz2Write};
    int result = 0;
    const int diffed = threads > 0
        ? bsdiffThreads(oldData, oldSize, newData, newSize, &stream, threads)
        : bsdiff(oldData, oldSize, newData, newSize, &stream);
    if (diffed != 0) {
        qDebug() << "bsdiff failed";
        result = -1;
    }
    const int err = bz.finish();
    if (err != BZ_OK) {
        qCritical() << "bzip2 stream failed, bz2err =" << err;
        result = -1;
    }
    return result == 0 && out.commit(StoreFolder::NewFile::Sync::ToDisk) ? 0 : -1;
}

// Applies the bzip2 stream that follows the header, writing the new data to
// out as it is rebuilt: memory stays a window's whatever size the patch
// declares, and the stream's end is checked before out is kept.
int applyPatch(FILE* patch, const LargeBuffer& old, int64_t newSize, FILE* out)
{
    int err = BZ_OK;
    Bz2Reader reader;
    reader.handle = BZ2_bzReadOpen(&err, patch, 0, 0, nullptr, 0);
    if (err != BZ_OK) {
        qCritical() << "BZ2_bzReadOpen failed, bz2err =" << err;
        return -1;
    }
    patch_stream stream = {&reader, bz2Read};
    bool written = true;
    const PatchSink sink = [out, &written](const uint8_t* data, int64_t length) {
        written = std::fwrite(data, 1, size_t(length), out) == size_t(length);
        if (!written)
            qCritical() << "Write new file failed";
        return written;
    };
    int result = 0;
    if (bspatchStreamed(old.data(), old.size(), newSize, &stream, sink) != 0 ||
        !endsCleanly(&reader, patch)) {
        if (written)
            qCritical() << "bspatch failed";
        result = -1;
    }
    BZ2_bzReadClose(&err, reader.handle);
    return result;
}

// Reads and checks the 24-byte header; the new size, or -1.
int64_t readHeader(FILE* patch)
{
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, patch) != kHeaderSize) {
        qCritical() << "Read patch header failed";
        return -1;
    }
    if (std::memcmp(header, kMagic, 16) != 0) {
        qCritical() << "Patch header error";
        return -1;
    }
    const int64_t newSize = offtin(header + 16);
    if (newSize < 0 || newSize > UpgradePkgPatch::kMaxFileSize) {
        qCritical() << "size error in patch header:" << newSize;
        return -1;
    }
    return newSize;
}

} // namespace

int UpgradePkgPatch::generatePatchFile(const QString& oldFile, const QString& newFile,
                                       const QString& patchFile)
{
    QElapsedTimer timer;
    timer.start();
    logMissing("Old file does not exist:", oldFile);
    logMissing("New file does not exist:", newFile);
    LargeBuffer oldData;
    LargeBuffer newData;
    // Both files are read at once (or the new one at get() when no thread is
    // free); failures are logged old first, the new file's only when the old
    // one was read.
    std::future<WholeFile> newWhole =
        std::async(std::launch::async | std::launch::deferred, [&newFile] { return loadWhole(newFile); });
    if (!readWhole(oldFile, &oldData) || !takeWhole(newWhole.get(), &newData))
        return -1;
    const int result = writePatch(oldData.data(), oldData.size(), newData.data(), newData.size(),
                                  patchFile, &timer);
    qDebug().noquote() << oldFile.section('/', -1) << "Time for bsdiff:" << timer.elapsed();
    return result;
}

int UpgradePkgPatch::generatePatchFile(const uint8_t* oldData, int64_t oldSize,
                                       const uint8_t* newData, int64_t newSize,
                                       const QString& patchFile)
{
    return writePatch(oldData, oldSize, newData, newSize, patchFile, nullptr);
}

int UpgradePkgPatch::generatePatchFile(const uint8_t* oldData, int64_t oldSize,
                                       const uint8_t* newData, int64_t newSize,
                                       const QString& patchFile, int threads)
{
    return writePatch(oldData, oldSize, newData, newSize, patchFile, nullptr, std::max(1, threads));
}

int UpgradePkgPatch::generateNewFile(const QString& oldFile, const QString& newFile,
                                     const QString& patchFile, StoreFolder::NewFile::Sync sync)
{
    QElapsedTimer timer;
    timer.start();
    logMissing("Old file does not exist:", oldFile);
    logMissing("Patch file does not exist:", patchFile);
    std::unique_ptr<FILE, int (*)(FILE*)> patch(std::fopen(patchFile.toUtf8().constData(), "rb"),
                                                std::fclose);
    if (!patch) {
        qCritical().noquote() << "Open patch file failed:" << patchFile;
        return -1;
    }
    const int64_t newSize = readHeader(patch.get());
    if (newSize < 0)
        return -1;
    qDebug() << "new_size =" << newSize;
    // The patch reads the old file in long runs, as its copies ask: huge
    // pages buy nothing here.
    LargeBuffer old;
    if (!readWhole(oldFile, &old, LargeBuffer::Pages::Plain))
        return -1;
    qDebug() << "old_size =" << old.size();
    TempOutput out(newFile);
    if (!out.file()) {
        qCritical().noquote() << "Open file failed:" << newFile;
        return -1;
    }
    if (applyPatch(patch.get(), old, newSize, out.file()) != 0 || !out.commit(sync))
        return -1;
    qDebug() << "Time for bspatch:" << timer.elapsed();
    return 0;
}

} // namespace pc
} // namespace vesk
