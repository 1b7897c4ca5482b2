#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>

namespace vesk {
namespace pc {

// The firmware store's slow work for the local server, done on a thread of
// its own so that the server's thread keeps answering while a large file is
// hashed or an upgrade-system package derived. Digests are kept per file
// version (path, size, modification time), so each is computed once.
//
// Results come back on the thread of the context object given with the
// request, and only while that object lives.
class StoreWorker
{
public:
    struct Digest
    {
        qint64 size = -1;  // -1 when the file could not be read
        QByteArray md5Hex;  // lower case
    };

    enum class Derived {
        Ready,    // the upgrade-system package exists
        Invalid,  // the main package does not verify
        Failed,   // it verifies, but deriving failed
    };

    static StoreWorker& get();

    // The digest of the file; done runs at once when it is known.
    void digest(const QString& path, QObject* context, const std::function<void(const Digest&)>& done);
    // Hashes the files ahead of requests for them.
    void prefetch(const QStringList& paths);
    // Makes companion from main unless it exists.
    void deriveCompanion(const QString& mainPath, const QString& companionPath, QObject* context,
                         const std::function<void(Derived)>& done);
    // True when no work is queued or running after at most ms.
    bool waitForIdle(int ms);

    StoreWorker(const StoreWorker&) = delete;
    StoreWorker& operator=(const StoreWorker&) = delete;

private:
    struct Entry
    {
        qint64 size = -1;
        QDateTime modified;
        QByteArray md5Hex;
    };

    StoreWorker();
    ~StoreWorker();

    static Entry versionOf(const QString& path);  // without a digest
    bool cached(const QString& path, Digest* digest);
    Digest digestNow(const QString& path);
    static Derived deriveNow(const QString& mainPath, const QString& companionPath);

    // Runs work on the pool and hands its result to done on context's thread.
    template <class T>
    void run(QObject* context, int priority, std::function<T()> work, std::function<void(const T&)> done)
    {
        // A relay of our own on the context's thread: the worker posts to it,
        // and it alone looks at the context, in the context's thread.
        auto* relay = new QObject;
        relay->moveToThread(context->thread());
        const QPointer<QObject> guard(context);
        pool_.start([relay, guard, work, done] {
            const T result = work();
            QMetaObject::invokeMethod(relay, [relay, guard, done, result] {
                if (guard)
                    done(result);
                delete relay;
            }, Qt::QueuedConnection);
        }, priority);
    }

    QThreadPool pool_;
    QMutex mutex_;
    QHash<QString, Entry> cache_;
};

} // namespace pc
} // namespace vesk
