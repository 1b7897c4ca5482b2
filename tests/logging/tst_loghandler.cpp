#include "logging/FileLogger.h"

#include "support/LogTestSupport.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <signal.h>
#include <sys/wait.h>

namespace {

const int kThreads = 4;
const int kMinPerThread = 3000;
const int kMaxPerThread = 100000;
const int kDeadlockBoundMs = 60000;
const int kChildBoundMs = 30000;

int countLines(const QString& path)
{
    return readAll(path).count('\n');
}

// Runs body in a child process with stderr silenced; returns its wait status,
// or -1 when it had to be killed after boundMs.
int runInChild(const std::function<void()>& body, int boundMs = kChildBoundMs)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stderr);
        body();
        std::_Exit(0);
    }
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (clock.elapsed() > boundMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(10);
    }
    return status;
}

// Threads keep logging through Qt's handler while the flush timer rotates the
// file under them; each goes on until it has seen a rotation happen.
void logFromThreadsUntilRotated(LoggingIni& ini)
{
    std::atomic<int> logged{0};
    std::atomic<int> finished{0};
    FileLogger logger(ini.settings(), 0);
    logger.installMsgHandler();
    const QString firstBackup = ini.file("app.log.1");
    QVector<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.append(QThread::create([&logged, &firstBackup, t] {
            for (int n = 0; n < kMaxPerThread; ++n) {
                qDebug("thread %d message %d", t, n);
                ++logged;
                if (n >= kMinPerThread && n % 100 == 0 && QFile::exists(firstBackup))
                    break;
            }
        }));
    }
    QEventLoop loop;
    for (QThread* thread : threads) {
        QObject::connect(thread, &QThread::finished, &loop, [&finished, &loop] {
            if (++finished == kThreads)
                loop.quit();
        });
        thread->start();
    }
    loop.exec();  // the flush timer runs here
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    QFile count(ini.file("count"));
    if (count.open(QIODevice::WriteOnly))
        count.write(QByteArray::number(int(logged)));
}

} // namespace

class tst_LogHandler : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void threadsLogWhileFileRotates();
    void fatalReachesFileBeforeAbort_data();
    void fatalReachesFileBeforeAbort();
    void qtWarningInsideRefreshDoesNotBlock();
};

void tst_LogHandler::threadsLogWhileFileRotates()
{
    LoggingIni ini({"filename=app.log", "max_size=20000", "max_backups=0"});
    QVERIFY(ini.isValid());
    // In a child, so that a deadlock, even of the thread running the timer, ends in a kill.
    const int status = runInChild([&ini] { logFromThreadsUntilRotated(ini); }, kDeadlockBoundMs);
    QVERIFY2(status != -1, "logging threads still blocked at the time bound");
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const QString logFile = ini.file("app.log");
    QVERIFY(QFile::exists(logFile + ".1"));
    int lines = countLines(logFile);
    int backups = 0;
    while (QFile::exists(QString("%1.%2").arg(logFile).arg(backups + 1)))
        lines += countLines(QString("%1.%2").arg(logFile).arg(++backups));
    const int logged = readAll(ini.file("count")).toInt();
    QVERIFY2(logged >= kThreads * kMinPerThread, qPrintable(QString::number(logged)));
    QCOMPARE(lines, logged);
}

void tst_LogHandler::fatalReachesFileBeforeAbort_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");

    const QStringList base{"filename=app.log", "msg_format={type} {msg}"};
    QTest::newRow("unbuffered") << base << QStringList{"D before", "F the end 7"};
    QTest::newRow("buffered") << base + QStringList{"buffer_size=3", "min_level=2"}
                              << QStringList{"D before", "F the end 7"};
    QTest::newRow("minimum above fatal") << base + QStringList{"min_level=9"}
                                         << QStringList{"F the end 7"};
}

void tst_LogHandler::fatalReachesFileBeforeAbort()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);

    LoggingIni ini(keys);
    QVERIFY(ini.isValid());
    const int status = runInChild([&ini] {
        FileLogger logger(ini.settings(), 0);
        logger.installMsgHandler();
        qDebug("before");
        qFatal("the end %d", 7);
    });
    QVERIFY(status != -1);
    // Under the sanitizers an abort may show as a signal or as an exit code.
    QVERIFY2(!(WIFEXITED(status) && WEXITSTATUS(status) == 0), qPrintable(QString::number(status)));
    QCOMPARE(readAll(ini.file("app.log")), (expected.join('\n') + '\n').toUtf8());
}

void tst_LogHandler::qtWarningInsideRefreshDoesNotBlock()
{
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("needs /dev/full");
    LoggingIni ini({"filename=app.log", "msg_format={msg}"});
    QVERIFY(ini.isValid());
    // Opening /dev/full for appending makes Qt warn about seeking, inside the
    // logger's lock; that warning must not wait for the lock.
    const int status = runInChild([&ini] {
        FileLogger logger(ini.settings(), 0);
        logger.installMsgHandler();
        ini.rewrite({"filename=/dev/full", "msg_format=[{msg}]"});
        logger.refreshSettings();
        qDebug("after");
        std::_Exit(readAll(ini.file("app.log")).isEmpty() ? 0 : 2);
    });
    QVERIFY2(status != -1, "the child blocked");
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_GUILESS_MAIN(tst_LogHandler)
#include "tst_loghandler.moc"
