#pragma once

// A hostile program watching a store: each new staging folder (".pkgdl-")
// is exchanged in one step for a link to an outside folder, the moment it
// appears or once something was made in it; the real one stays as
// "aside-N". The outside folder holds "victim" under the package's name and
// its companion's.

#include "support/NameSwapper.h"
#include "support/PackageBuilder.h"

#include <QDebug>
#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>

class StagingSwapper
{
public:
    enum When { AtOnce, OnceUsed };

    StagingSwapper(const QString& dir, const QString& name, When when)
        : dir_(dir), victims_{name, "Ugsys_" + name}, when_(when)
    {
        for (const QString& victim : victims_) {
            QFile file(outside_.filePath(victim));
            ok_ = ok_ && file.open(QIODevice::WriteOnly) && file.write("victim") == 6;
        }
        ok_ = ok_ && ::inotify_add_watch(watch_, QFile::encodeName(dir).constData(), IN_CREATE) >= 0;
    }
    ~StagingSwapper()
    {
        swapper_.stop();
        ::close(watch_);
    }

    // Runs round (which tells whether it stored) 200 times, or for a minute,
    // path removed before each; after each the outside is intact and path
    // holds bytes if stored, nothing if not (only a folder taken at once
    // may fail). True when a round met an exchange and no staging folder is
    // left, those taken aside emptied (or when a check failed already).
    bool race(const QString& path, const QByteArray& bytes, const std::function<void(bool& stored)>& round)
    {
        if (!ok_) {
            qWarning() << "cannot watch" << dir_;
            return false;
        }
        int rounds = 0, met = 0, stored = 0;
        swapper_.race(
            [&] {
                const int before = swapper_.swaps();
                bool done = false;
                QFile::remove(path);  // so that each round stores anew
                round(done);
                ++rounds;
                stored += done;
                met += swapper_.swaps() > before;
                QVERIFY(outsideIntact());
                QVERIFY(done || when_ == AtOnce);
                QCOMPARE(pkgtest::readFile(path), done ? bytes : QByteArray());
            },
            200, 200, 60000, [] { return true; });
        qInfo() << met << "of" << rounds << "rounds met the link," << stored << "stored";
        if (QTest::currentTestFailed())
            return true;
        for (const QString& entry : entries(dir_)) {
            if (entry.startsWith(".pkgdl-") || (entry.startsWith("aside-") && !entries(dir_ + '/' + entry).isEmpty()))
                return false;
        }
        return met > 0;
    }

private:
    static QStringList entries(const QString& dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // The outside folder holds the victims as they were, and nothing else.
    bool outsideIntact() const
    {
        for (const QString& victim : victims_) {
            if (pkgtest::readFile(outside_.filePath(victim)) != "victim")
                return false;
        }
        return entries(outside_.path()).size() == victims_.size();
    }
    // Waits (a second at most) until the folder holds something.
    static bool used(const QString& path)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end && QFileInfo(path).isDir()) {
            if (!entries(path).isEmpty())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        return false;
    }
    int swap(const QString& name)
    {
        if (when_ == OnceUsed && !used(dir_ + '/' + name))
            return 0;
        const QByteArray aside = QFile::encodeName(dir_ + "/aside-" + QString::number(attempts_++));
        ::symlink(QFile::encodeName(outside_.path()).constData(), aside.constData());
        if (::renameat2(AT_FDCWD, QFile::encodeName(dir_ + '/' + name).constData(), AT_FDCWD, aside.constData(),
                        RENAME_EXCHANGE) == 0)
            return 1;
        ::unlink(aside.constData());  // the folder went first
        return 0;
    }
    // Swaps the folders made in the last 20 ms. Runs from before the watch
    // is set up: poll() waits out the time on a failed one.
    int watch()
    {
        alignas(inotify_event) char buffer[4096];
        pollfd ready{watch_, POLLIN, 0};
        const ssize_t got = ::poll(&ready, 1, 20) > 0 ? ::read(watch_, buffer, sizeof buffer) : 0;
        int swaps = 0;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const QString name = QFile::decodeName(event->len ? event->name : "");
            if ((event->mask & IN_ISDIR) && name.startsWith(".pkgdl-"))
                swaps += swap(name);
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
        return swaps;
    }

    QString dir_;
    QStringList victims_;
    When when_;
    QTemporaryDir outside_;
    int watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    bool ok_ = outside_.isValid() && watch_ >= 0;
    int attempts_ = 0;
    NameSwapper swapper_{[this] { return watch(); }};  // last: started once the rest is set up
};
