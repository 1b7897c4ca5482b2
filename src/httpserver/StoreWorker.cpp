#include "httpserver/StoreWorker.h"

#include "comm/Util.h"
#include "package/FirmwarePackage.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

// A request waits for its digest; prefetching can wait for requests.
constexpr int kRequestPriority = 1;
constexpr int kPrefetchPriority = 0;

} // namespace

StoreWorker& StoreWorker::get()
{
    static StoreWorker instance;
    return instance;
}

StoreWorker::StoreWorker()
{
    // One thread: jobs on the same file never overlap, and a second request
    // for a digest finds the first one's result.
    pool_.setMaxThreadCount(1);
    pool_.setExpiryTimeout(60000);
}

StoreWorker::~StoreWorker()
{
    pool_.clear();
    pool_.waitForDone();
}

void StoreWorker::digest(const QString& path, QObject* context,
                         const std::function<void(const Digest&)>& done)
{
    Digest known;
    if (cached(path, &known)) {
        done(known);
        return;
    }
    run<Digest>(context, kRequestPriority, [this, path] { return digestNow(path); }, done);
}

void StoreWorker::prefetch(const QStringList& paths)
{
    for (const QString& path : paths)
        pool_.start([this, path] { digestNow(path); }, kPrefetchPriority);
}

void StoreWorker::deriveCompanion(const QString& mainPath, const QString& companionPath, QObject* context,
                                  const std::function<void(Derived)>& done)
{
    run<Derived>(context, kRequestPriority,
                 [mainPath, companionPath] { return deriveNow(mainPath, companionPath); }, done);
}

bool StoreWorker::waitForIdle(int ms)
{
    return pool_.waitForDone(ms);
}

StoreWorker::Entry StoreWorker::versionOf(const QString& path)
{
    const StoreFolder::Status file = StoreFolder::statusOfPath(path);
    if (file.kind != StoreFolder::Kind::Plain)
        return Entry();  // matches no digest kept
    return {file.size, file.modified, QByteArray()};
}

bool StoreWorker::cached(const QString& path, Digest* digest)
{
    const Entry now = versionOf(path);
    QMutexLocker lock(&mutex_);
    const auto it = cache_.constFind(path);
    if (it == cache_.constEnd() || it->size != now.size || it->modified != now.modified)
        return false;
    digest->size = it->size;
    digest->md5Hex = it->md5Hex;
    return true;
}

StoreWorker::Digest StoreWorker::digestNow(const QString& path)
{
    Digest digest;
    if (cached(path, &digest))
        return digest;
    // A file replaced while it was read gives a digest of no version: once
    // more, then it is given without being kept.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Entry before = versionOf(path);
        QFile file;
        if (!StoreFolder::openPath(path, &file))
            return Digest();
        const QByteArray md5 = Util::md5ForFile(&file, 0);
        if (md5.isEmpty()) {
            qWarning() << "Cannot hash" << path;
            return Digest();
        }
        digest = {file.size(), md5.toHex()};
        const Entry after = versionOf(path);
        if (before.size == after.size && before.modified == after.modified) {
            QMutexLocker lock(&mutex_);
            cache_.insert(path, {before.size, before.modified, digest.md5Hex});
            return digest;
        }
        qInfo() << "File changed while hashed:" << path;
    }
    return digest;
}

StoreWorker::Derived StoreWorker::deriveNow(const QString& mainPath, const QString& companionPath)
{
    const StoreFolder::Kind companion = StoreFolder::statusOfPath(companionPath).kind;
    if (companion == StoreFolder::Kind::Plain)
        return Derived::Ready;
    if (companion != StoreFolder::Kind::Absent) {
        qWarning() << "Not a plain file, not replaced:" << companionPath;
        return Derived::Failed;
    }
    // Opened and written through the store's folder: a link put at either
    // name meanwhile is neither read nor written through.
    FirmwarePackage package(mainPath, FirmwarePackage::PkgMain);
    if (!package.verifyFirmware()) {
        qWarning() << "Local firmware is invalid:" << mainPath;
        return Derived::Invalid;
    }
    if (!package.generateUgsysFwPackage()) {
        qWarning() << "Cannot derive" << companionPath;
        return Derived::Failed;
    }
    return Derived::Ready;
}

} // namespace pc
} // namespace vesk
