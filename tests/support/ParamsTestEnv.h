#pragma once

#include "support/TestHome.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// The parameter store's two ini files inside a test home, and a fake list of
// this computer's addresses. reset() before each test, restoreIps() after.
class ParamsTestEnv
{
public:
    explicit ParamsTestEnv(const TestHome& home) : home_(home) {}

    QString dataIni() const { return home_.dataDir() + "/config/kestro_macos.ini"; }
    QString defaultIni() const { return home_.path() + "/install/config/kestro_macos.ini"; }

    void reset(const QStringList& localIps = {QStringLiteral("127.0.0.1")}) const
    {
        QDir(home_.dataDir()).removeRecursively();
        QDir(home_.path() + "/install").removeRecursively();
        setLocalIps(localIps);
    }
    static void setLocalIps(const QStringList& ips)
    {
        vesk::pc::Util::setLocalIpSource([ips] { return ips; });
    }
    static void restoreIps() { vesk::pc::Util::setLocalIpSource({}); }

    std::unique_ptr<vesk::pc::GlobalParams> open() const
    {
        return std::make_unique<vesk::pc::GlobalParams>(dataIni(), defaultIni());
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Starts the threads, lets them run for at least runMs and until enough()
    // holds (a loaded machine may need longer to show the overlap), at most
    // 15 s; raises stop and waits for them within a hard bound. Deletes them;
    // false when one did not end.
    static bool runThreadsFor(const QList<QThread*>& threads, int runMs, std::atomic<bool>& stop,
                              const std::function<bool()>& enough = {})
    {
        for (QThread* t : threads)
            t->start();
        QElapsedTimer clock;
        clock.start();
        QThread::msleep(runMs);
        while (enough && !enough() && clock.elapsed() < 15000)
            QThread::msleep(20);
        stop = true;
        bool finished = true;
        for (QThread* t : threads)
            finished = t->wait(20000) && finished;
        qDeleteAll(threads);
        return finished;
    }

private:
    const TestHome& home_;
};
