#pragma once

// A hostile program with write access to a folder: a thread that keeps
// swapping one name between the test's own entry and a link out of the
// folder, so that an operation on the name may meet either at any moment.
// Every swap is one rename, so the name is never missing in between.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTest>

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
        : NameSwapper([toLink, back] {
            toLink();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            back();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            return 1;
        })
    {
    }
    // Runs step, which tells how many swaps it made, over and over until stopped.
    explicit NameSwapper(std::function<int()> step)
        : step_(std::move(step))
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

    // Runs round at least `least` times and then until enough() holds, but
    // `most` times and `ms` at the most, and not past a failed check; then
    // stops. True when something was swapped (or a check failed already).
    bool race(const Step& round, int least, int most, int ms, const std::function<bool()>& enough)
    {
        QElapsedTimer clock;
        clock.start();
        for (int n = 0; n < most && clock.elapsed() < ms && !QTest::currentTestFailed() && (n < least || !enough());
             ++n)
            round();
        stop();
        return swaps_ > 0 || QTest::currentTestFailed();
    }

    // The steps: each puts its entry at path in one rename.
    static bool linkAt(const QString& path, const QString& target, bool hard = false)
    {
        const QByteArray to = QFile::encodeName(target);
        return (hard ? ::link : ::symlink)(to.constData(), spare(path).constData()) == 0 && moveOver(path);
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
    static bool moveOver(const QString& path)
    {
        return std::rename(spare(path).constData(), QFile::encodeName(path).constData()) == 0;
    }
    void run()
    {
        while (!stop_)
            swaps_ += step_();
    }

    std::function<int()> step_;
    std::atomic<bool> stop_{false};
    std::atomic<int> swaps_{0};
    std::thread thread_;  // last: starts once the rest is set up
};
