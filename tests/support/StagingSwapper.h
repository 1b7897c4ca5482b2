#pragma once

// A hostile program watching a folder: each new folder whose name begins
// with a prefix is exchanged in one step for a link to an outside folder,
// the moment it appears or once something was made in it; the real one
// stays as "aside-N". The outside folder holds "victim" under each name
// given.

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

class StagingSwapper
{
public:
    enum When { AtOnce, OnceUsed };

    StagingSwapper(const QString& dir, const QString& prefix, const QStringList& victims, When when)
        : dir_(dir), prefix_(prefix), victims_(victims), when_(when)
    {
        for (const QString& victim : victims_) {
            QFile file(outside_.filePath(victim));
            ok_ = ok_ && file.open(QIODevice::WriteOnly) && file.write("victim") == 6;
        }
        ok_ = ok_ && ::inotify_add_watch(watch_, QFile::encodeName(dir).constData(), IN_CREATE) >= 0;
        thread_ = std::thread([this] { run(); });
    }
    ~StagingSwapper()
    {
        stop();
        ::close(watch_);
    }

    bool watching() const { return ok_; }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    // Runs round (which tells whether it stored what it made) 200 times, or
    // for a minute, or until a check failed, then stops and logs the counts.
    // True when a round met an exchange and nothing of the prefix is left,
    // the folders taken aside emptied.
    bool race(const std::function<void(bool& stored)>& round)
    {
        int rounds = 0, met = 0, stored = 0;
        QElapsedTimer clock;
        clock.start();
        for (; rounds < 200 && clock.elapsed() < 60000 && !QTest::currentTestFailed(); ++rounds) {
            const int before = swaps_;
            bool done = false;
            round(done);
            stored += done;
            met += swaps_ > before;
        }
        stop();
        qInfo() << met << "of" << rounds << "rounds met the link," << stored << "stored";
        for (const QString& entry : entries(dir_)) {
            if (entry.startsWith(prefix_) || (entry.startsWith("aside-") && !entries(dir_ + '/' + entry).isEmpty()))
                return false;
        }
        return met > 0;
    }
    // The outside folder holds the victims as they were, and nothing else.
    bool outsideIntact() const
    {
        for (const QString& victim : victims_) {
            QFile file(outside_.filePath(victim));
            if (!file.open(QIODevice::ReadOnly) || file.readAll() != "victim")
                return false;
        }
        return entries(outside_.path()).size() == victims_.size();
    }

private:
    static QStringList entries(const QString& dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Waits (a second at most) until the folder holds something.
    bool used(const QString& path) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!stop_ && std::chrono::steady_clock::now() < end && QFileInfo(path).isDir()) {
            if (!entries(path).isEmpty())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        return false;
    }
    void swap(const QString& name)
    {
        if (when_ == OnceUsed && !used(dir_ + '/' + name))
            return;
        const QByteArray aside = QFile::encodeName(dir_ + "/aside-" + QString::number(attempts_++));
        ::symlink(QFile::encodeName(outside_.path()).constData(), aside.constData());
        if (::renameat2(AT_FDCWD, QFile::encodeName(dir_ + '/' + name).constData(), AT_FDCWD, aside.constData(),
                        RENAME_EXCHANGE) == 0)
            ++swaps_;
        else
            ::unlink(aside.constData());  // the folder went first
    }
    void run()
    {
        alignas(inotify_event) char buffer[4096];
        pollfd ready{watch_, POLLIN, 0};
        while (!stop_ && ok_) {
            const ssize_t got = ::poll(&ready, 1, 20) > 0 ? ::read(watch_, buffer, sizeof buffer) : 0;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const QString name = QFile::decodeName(event->len ? event->name : "");
                if ((event->mask & IN_ISDIR) && name.startsWith(prefix_))
                    swap(name);
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
    }

    QString dir_;
    QString prefix_;
    QStringList victims_;
    When when_;
    QTemporaryDir outside_;
    int watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    bool ok_ = outside_.isValid() && watch_ >= 0;
    int attempts_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> swaps_{0};
    std::thread thread_;  // last: started once the rest is set up
};
