#pragma once

// A hostile program watching a folder: each new folder whose name begins
// with a prefix is exchanged for a link to a folder outside, in one step,
// the moment it appears or once something was made in it; the real folder
// stays under a name of its own ("aside-N"). Whoever still reaches the
// folder through its name from then on reaches the outside folder, which
// holds a file "victim" under each of the names given.

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

class StagingSwapper
{
public:
    enum When { AtOnce, OnceUsed };

    StagingSwapper(const QString& dir, const QByteArray& prefix, const QStringList& victims, When when)
        : dir_(QFile::encodeName(dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/')))
        , prefix_(prefix)
        , victims_(victims)
        , when_(when)
        , watch_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        bool made = outside_.isValid();
        for (const QString& victim : victims_) {
            QFile file(outside_.filePath(victim));
            made = made && file.open(QIODevice::WriteOnly) && file.write("victim") == 6;
        }
        watching_ = made && watch_ >= 0 && ::inotify_add_watch(watch_, dir_.constData(), IN_CREATE) >= 0;
        thread_ = std::thread([this] { run(); });
    }
    ~StagingSwapper()
    {
        stop();
        if (watch_ >= 0)
            ::close(watch_);
    }
    StagingSwapper(const StagingSwapper&) = delete;
    StagingSwapper& operator=(const StagingSwapper&) = delete;

    bool watching() const { return watching_; }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Folders exchanged while they still existed.
    int swaps() const { return swaps_; }

    // Runs round (which tells whether it stored what it made) 200 times, or
    // for a minute, or until a check has failed, and stops the swapper;
    // returns how many rounds met an exchange, and logs the counts.
    int race(const std::function<void(bool& stored)>& round)
    {
        int rounds = 0;
        int met = 0;
        int stored = 0;
        QElapsedTimer clock;
        clock.start();
        for (; rounds < 200 && clock.elapsed() < 60000 && !QTest::currentTestFailed(); ++rounds) {
            const int before = swaps_;
            bool done = false;
            round(done);
            stored += done ? 1 : 0;
            met += swaps_ > before ? 1 : 0;
        }
        stop();
        qInfo() << met << "of" << rounds << "rounds met the link," << stored << "stored";
        return met;
    }

    // The outside folder holds the victims, as they were, and nothing else.
    bool outsideIntact() const
    {
        for (const QString& victim : victims_) {
            QFile file(outside_.filePath(victim));
            if (!file.open(QIODevice::ReadOnly) || file.readAll() != "victim")
                return false;
        }
        QStringList names = victims_;
        names.sort();
        return QDir(outside_.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
            == names;
    }
    // No name of the prefix is left in the watched folder, and the real
    // folders taken aside have been emptied.
    bool cleanedUp() const
    {
        const QDir dir(QFile::decodeName(dir_));
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& entry : entries) {
            if (entry.startsWith(QString::fromLatin1(prefix_))
                || (entry.startsWith(QLatin1String("aside-")) && !QDir(dir.filePath(entry)).isEmpty()))
                return false;
        }
        return true;
    }

private:
    // Whether the folder holds an entry within a second (its maker works in
    // it), looked at as fast as can be.
    bool used(const QByteArray& path) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!stop_ && std::chrono::steady_clock::now() < end) {
            DIR* folder = ::opendir(path.constData());
            if (!folder)
                return false;
            int entries = 0;
            while (::readdir(folder))
                ++entries;
            ::closedir(folder);
            if (entries > 2)
                return true;
        }
        return false;
    }
    void swap(const QByteArray& name)
    {
        if (when_ == OnceUsed && !used(dir_ + name))
            return;
        const QByteArray aside = dir_ + "aside-" + QByteArray::number(attempts_++);
        ::symlink(QFile::encodeName(outside_.path()).constData(), aside.constData());
        if (::renameat2(AT_FDCWD, (dir_ + name).constData(), AT_FDCWD, aside.constData(), RENAME_EXCHANGE) == 0)
            ++swaps_;
        else
            ::unlink(aside.constData());  // the folder went first
    }
    void run()
    {
        alignas(inotify_event) char buffer[4096];
        while (!stop_ && watching_) {
            pollfd ready{watch_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0)
                continue;
            const ssize_t got = ::read(watch_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const QByteArray name(event->len ? event->name : "");
                if ((event->mask & IN_ISDIR) && name.startsWith(prefix_))
                    swap(name);
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
    }

    QByteArray dir_;
    QByteArray prefix_;
    QStringList victims_;
    QTemporaryDir outside_;
    When when_;
    int watch_;
    bool watching_ = false;
    int attempts_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> swaps_{0};
    std::thread thread_;  // last: starts once the rest is set up
};
