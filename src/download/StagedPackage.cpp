#include "download/StagedPackage.h"

#include "package/FirmwareStore.h"

#include <QDebug>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

// Small enough that a block is still in the cache when it is hashed and
// written, large enough that a write and a hand-over cost little.
constexpr int kBlockBytes = 256 * 1024;
// The first block is smaller, and each next one twice as large up to
// kBlockBytes, so that hashing starts soon after the first bytes arrive
// instead of waiting for a whole block while the connection speeds up.
constexpr int kFirstBlockBytes = 16 * 1024;

// A block at full size, its memory backed at once: one call instead of a
// page fault for every page the first time the block is filled, which
// would slow the receiving most just when hashing waits for it. Only a
// hint: where the system refuses it, the pages come one fault at a time.
QByteArray backedBlock()
{
    QByteArray block(kBlockBytes, Qt::Uninitialized);
#ifdef MADV_POPULATE_WRITE
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(block.data()) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block.data()) + kBlockBytes) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
    return block;
}

} // namespace

StagedPackage::StagedPackage(const QString& dir, const QString& name)
    : dir_(dir)
    , name_(name)
    , staging_(dir)
    , blockBytes_(kFirstBlockBytes)
    , writer_("block write", [this](const QByteArray& block) { return writeBlock(block); })
{
    for (QByteArray& block : ring_)
        block = backedBlock();
}

// The file closes before its staging folder is removed with it.
StagedPackage::~StagedPackage() = default;

StagedPackage::Staging::~Staging()
{
    if (folder && folder->isOpen())
        target.removeFolder(*folder);
}

bool StagedPackage::open()
{
    const QLatin1String prefix(FirmwareStore::kStagingPrefix);
    staging_.folder = std::make_unique<StoreFolder>(staging_.target.makeFolder(prefix));
    if (!staging_.folder->isOpen()) {
        qCritical() << "Open file failed: cannot create a staging folder in" << dir_;
        return false;
    }
    // The writer hands whole blocks straight to the file's descriptor.
    file_ = std::make_unique<StoreFolder::NewFile>(*staging_.folder, name_);
    return file_->create();
}

bool StagedPackage::append(const QByteArray& data)
{
    size_ += data.size();
    for (int done = 0; done < data.size();) {
        QByteArray& block = ring_[current_];
        // Only when a thread still holds the block (never, within the
        // bound): a fresh one, not a copy of the old.
        if (!block.isDetached())
            block = QByteArray(kBlockBytes, Qt::Uninitialized);
        // Qt reads the count without ordering: the threads' last reads of a
        // block they let go must come before it is written again.
        std::atomic_thread_fence(std::memory_order_acquire);
        // A block handed on shorter kept its memory: this takes no more.
        if (block.size() != kBlockBytes)
            block.resize(kBlockBytes);
        const int piece = std::min(data.size() - done, blockBytes_ - filled_);
        std::memcpy(block.data() + filled_, data.constData() + done, size_t(piece));
        filled_ += piece;
        done += piece;
        if (filled_ == blockBytes_ && !handOn())
            return false;
    }
    return !writer_.failed();
}

// Hands the current block, as far as it is filled, to both threads.
bool StagedPackage::handOn()
{
    if (filled_ > 0) {
        QByteArray& block = ring_[current_];
        block.resize(filled_);
        md5_.add(block);
        writer_.add(block);
        current_ = (current_ + 1) % int(sizeof ring_ / sizeof ring_[0]);
        filled_ = 0;
        blockBytes_ = std::min(2 * blockBytes_, kBlockBytes);
    }
    return !writer_.failed();
}

// On the writer's thread, straight to the file: a short write is tried
// again, so that a failure comes with its reason.
bool StagedPackage::writeBlock(const QByteArray& block)
{
    for (qint64 done = 0; done < block.size();) {
        const ssize_t written = ::write(file_->handle(), block.constData() + done, size_t(block.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            qCritical() << "Write failed" << file_->path() << ":"
                        << (written < 0 ? std::strerror(errno) : "nothing written");
            return false;
        }
        done += written;
    }
    return true;
}

bool StagedPackage::close()
{
    handOn();
    const bool written = writer_.finish();
    if (!file_ || !written) {
        if (file_)
            file_->cancelWriting();
        return false;
    }
    // Under its name in the staging folder, for the checks of the name.
    return file_->commit(StoreFolder::NewFile::Sync::Skip);
}

QByteArray StagedPackage::md5Hex()
{
    return md5_.resultHex();
}

void StagedPackage::removeLeftovers(const QString& dir)
{
    // A link of such a name could lead out of the store: the removal goes
    // through the folders' own descriptors, never follows one, and removes
    // the link itself.
    const StoreFolder folder(dir);
    for (const QString& name : folder.folders(QLatin1String(FirmwareStore::kStagingPrefix))) {
        qInfo() << "Removing an unfinished download:" << folder.dir() + name;
        folder.removeTree(name);
    }
}

QString StagedPackage::pathIn(const QString& dir, const QString& name)
{
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

bool StagedPackage::commit(bool withCompanion)
{
    return staging_.folder && staging_.folder->isOpen()
        && FirmwareStore::moveIn(*staging_.folder, staging_.target, name_, withCompanion);
}

} // namespace pc
} // namespace vesk
