#pragma once

// Sees the data syncs of the store's new files while it lives: which files
// were synced (by inode), in order; the syncs themselves still reach the
// disk unless the watch makes them fail, as a failing disk would.

#include "package/StoreFolder.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QVector>

#include <atomic>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

class SyncWatch
{
public:
    SyncWatch()
    {
        QMutexLocker locked(&state().lock);
        state().synced.clear();
        state().failing = false;
        vesk::pc::StoreFolder::NewFile::setDataSync(&watched);
    }
    ~SyncWatch() { vesk::pc::StoreFolder::NewFile::setDataSync(nullptr); }
    SyncWatch(const SyncWatch&) = delete;
    SyncWatch& operator=(const SyncWatch&) = delete;

    QVector<quint64> synced() const
    {
        QMutexLocker locked(&state().lock);
        return state().synced;
    }
    // Every sync from now on fails with EIO.
    void failSyncs() { state().failing = true; }

    // 0 when path cannot be reached.
    static quint64 inodeOf(const QString& path)
    {
        struct stat status;
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? quint64(status.st_ino) : 0;
    }

private:
    struct State
    {
        QMutex lock;
        QVector<quint64> synced;
        std::atomic<bool> failing{false};
    };

    static State& state()
    {
        static State watchState;
        return watchState;
    }

    static int watched(int fd)
    {
        struct stat status;
        {
            QMutexLocker locked(&state().lock);
            state().synced << (::fstat(fd, &status) == 0 ? quint64(status.st_ino) : 0);
        }
        if (state().failing) {
            errno = EIO;
            return -1;
        }
        return ::fdatasync(fd);
    }
};
