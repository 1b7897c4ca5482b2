#pragma once

// A hostile program with write access to a folder: a thread that keeps
// swapping one name between the test's own entry and a link out of the
// folder, so that an operation on the name may meet either at any moment.
// Every swap is one rename, so the name is never missing in between.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <unistd.h>

class NameSwapper
{
public:
    using Step = std::function<void()>;

    // Runs toLink, then back, over and over until stopped.
    NameSwapper(Step toLink, Step back)
        : toLink_(std::move(toLink))
        , back_(std::move(back))
        , thread_([this] { run(); })
    {
    }
    ~NameSwapper() { stop(); }
    NameSwapper(const NameSwapper&) = delete;
    NameSwapper& operator=(const NameSwapper&) = delete;

    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int swaps() const { return swaps_; }

    // The steps: each puts its entry at path in one rename.
    static void symlinkAt(const QString& path, const QString& target)
    {
        ::symlink(QFile::encodeName(target).constData(), spare(path).constData());
        moveOver(path);
    }
    static void hardLinkAt(const QString& path, const QString& target)
    {
        ::link(QFile::encodeName(target).constData(), spare(path).constData());
        moveOver(path);
    }
    static void fileAt(const QString& path, const QByteArray& data)
    {
        QFile file(QFile::decodeName(spare(path)));
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
        file.close();
        moveOver(path);
    }
    // A folder moves between path and keep (a name no operation looks at).
    static void folderMove(const QString& from, const QString& to)
    {
        std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
    }

private:
    static QByteArray spare(const QString& path)
    {
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        return QFile::encodeName(path.left(slash + 1) + QStringLiteral(".swap-") + path.mid(slash + 1));
    }
    static void moveOver(const QString& path)
    {
        std::rename(spare(path).constData(), QFile::encodeName(path).constData());
    }
    void run()
    {
        while (!stop_) {
            toLink_();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            back_();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            ++swaps_;
        }
    }

    Step toLink_;
    Step back_;
    std::atomic<bool> stop_{false};
    std::atomic<int> swaps_{0};
    std::thread thread_;  // last: starts once the rest is set up
};
