#pragma once

#include "download/BlockHasher.h"
#include "package/StoreFolder.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace vesk {
namespace pc {

// A package on its way into a folder. It is written into a hidden folder of
// its own inside the target folder, under its final name (so that checks of
// the package's name hold) but outside every name the folder's readers
// list; only commit() moves it, with its upgrade-system companion, into the
// folder. Whatever was not committed is removed with this object.
class StagedPackage
{
public:
    StagedPackage(const QString& dir, const QString& name);
    ~StagedPackage();
    StagedPackage(const StagedPackage&) = delete;
    StagedPackage& operator=(const StagedPackage&) = delete;

    // Creates the staging folder and the empty file; false (logged) when
    // either cannot be made.
    bool open();
    // Appends to the file and to its MD5; false (logged) once a write has
    // failed. The data is gathered into blocks that are handed, each as it
    // fills, to two threads of their own: one hashes it, one writes it.
    bool append(const QByteArray& data);
    // Writes what is left, waits for the writes and closes the file; false
    // (logged) on error.
    bool close();

    qint64 size() const { return size_; }
    // Lower-case hexadecimal MD5 of everything appended.
    QByteArray md5Hex();
    // The folder the package lies in until it is committed, once open()
    // has made it.
    const StoreFolder& folder() const { return *staging_.folder; }
    // Removes staging folders that a run which never ended (a crash, a
    // killed program) left in dir; a link of such a name is removed itself,
    // and nothing is removed through one, whenever it appears.
    static void removeLeftovers(const QString& dir);
    // name inside dir, with exactly one "/" between them.
    static QString pathIn(const QString& dir, const QString& name);

    // Moves the package, with its companion when withCompanion, into the
    // folder (FirmwareStore::moveIn).
    bool commit(bool withCompanion);

private:
    // The staging folder in the target folder, removed with all it holds.
    struct Staging
    {
        StoreFolder target;
        std::unique_ptr<StoreFolder> folder;  // made by open()
        explicit Staging(const QString& dir) : target(dir) {}
        ~Staging();
    };

    bool handOn();
    bool writeBlock(const QByteArray& block);

    QString dir_;
    QString name_;
    Staging staging_;
    std::unique_ptr<StoreFolder::NewFile> file_;
    // Blocks used in turn; by the time one comes round again, both threads
    // have let it go (BlockWorker's bound).
    QByteArray ring_[BlockWorker::kMaxPending + 2];
    int current_ = 0;
    int filled_ = 0;  // bytes of the current block
    int blockBytes_;  // where the current block is handed on
    qint64 size_ = 0;
    BlockHasher md5_;
    BlockWorker writer_;  // after file_: it ends before the file closes
};

} // namespace pc
} // namespace vesk
