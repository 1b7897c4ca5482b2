#include "logging/DualFileLogger.h"
#include "logging/FileLogger.h"

#include "support/LogTestSupport.h"
#include "support/TestHome.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// Opens up the file handling so a rotation can be driven without waiting for the timer.
class RotatingFileLogger : public FileLogger
{
public:
    using FileLogger::FileLogger;
    using FileLogger::close;
    using FileLogger::rotate;
};

void logLine(Logger& logger, QtMsgType type, const QString& text)
{
    logger.log(type, text, QString(), QString(), 0);
}

// The ini's files in dir, as "name=content" in name order.
QStringList dirContents(const QString& dir)
{
    QStringList result;
    const QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (!name.endsWith(QLatin1String(".ini")))
            result.append(name + QLatin1Char('=') + QString::fromUtf8(readAll(dir + '/' + name)));
    }
    return result;
}

} // namespace

class tst_FileLogger : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void relativeNameAndDefaults();
    void changedNameSwitchesFiles();
    void rotation_data();
    void rotation();
    void flushTimerRotates_data();
    void flushTimerRotates();
    void openFailureKeepsStderr();
    void emptyNameKeepsStderr();
    void writeFailureFallsBackToStderr();
    void dualLoggerWritesBoth();
};

void tst_FileLogger::relativeNameAndDefaults()
{
    LoggingIni ini({"filename=log/app.log"}, "x/config/logging.ini");
    QVERIFY(ini.isValid());
    const QString expectedName = ini.file("x/config/log/app.log");

    StderrCapture capture;
    {
        FileLogger logger(ini.settings(), 0);
        QCOMPARE(capture.text(), "Logging to " + expectedName.toLocal8Bit() + "\n");
        QVERIFY(QFileInfo(expectedName).isFile());
        logLine(logger, QtDebugMsg, "first");
        logLine(logger, QtInfoMsg, "second");
    }
    const QStringList lines = QString::fromUtf8(readAll(expectedName)).split('\n');
    QCOMPARE(lines.size(), 3);
    const QString stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})";
    QVERIFY2(QRegularExpression('^' + stamp + " D first$").match(lines[0]).hasMatch(),
             qPrintable(lines[0]));
    QVERIFY2(QRegularExpression('^' + stamp + " I second$").match(lines[1]).hasMatch(),
             qPrintable(lines[1]));
    QCOMPARE(lines[2], QString());
}

void tst_FileLogger::changedNameSwitchesFiles()
{
    LoggingIni ini({"filename=a.log", "msg_format={msg}"});
    QVERIFY(ini.isValid());
    StderrCapture capture;
    FileLogger logger(ini.settings(), 100);
    logLine(logger, QtCriticalMsg, "to a");
    // Another length, so the ini's change shows even within one tick of the clock.
    QVERIFY(ini.rewrite({"filename=other.log", "msg_format=[{msg}]"}));

    const QByteArray expected = "Logging to " + ini.file("a.log").toLocal8Bit() + "\n"
                                + "Logging to " + ini.file("other.log").toLocal8Bit() + "\n";
    QTRY_COMPARE_WITH_TIMEOUT(capture.text(), expected, 5000);
    logLine(logger, QtCriticalMsg, "to other");
    // Refreshes with an unchanged name print nothing and keep the file.
    QTest::qWait(350);
    logLine(logger, QtCriticalMsg, "still other");
    QCOMPARE(capture.text(), expected);
    QCOMPARE(readAll(ini.file("a.log")), QByteArray("to a\n"));
    QCOMPARE(readAll(ini.file("other.log")), QByteArray("[to other]\n[still other]\n"));
}

void tst_FileLogger::rotation_data()
{
    QTest::addColumn<int>("maxBackups");
    QTest::addColumn<QList<int>>("backups");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("oldest beyond the limit deleted")
        << 3 << QList<int>{1, 2, 3, 4, 5}
        << QStringList{"app.log.1=now", "app.log.2=b1", "app.log.3=b2"};
    QTest::newRow("keep all stops at a gap")
        << 0 << QList<int>{1, 3} << QStringList{"app.log.1=now", "app.log.2=b1", "app.log.3=b3"};
    QTest::newRow("negative keeps all") << -1 << QList<int>{1, 2}
                                        << QStringList{"app.log.1=now", "app.log.2=b1",
                                                       "app.log.3=b2"};
    QTest::newRow("first backup") << 2 << QList<int>{} << QStringList{"app.log.1=now"};
    QTest::newRow("below the limit") << 3 << QList<int>{1}
                                     << QStringList{"app.log.1=now", "app.log.2=b1"};
    QTest::newRow("one backup replaced") << 1 << QList<int>{1, 2}
                                         << QStringList{"app.log.1=now"};
}

void tst_FileLogger::rotation()
{
    QFETCH(int, maxBackups);
    QFETCH(QList<int>, backups);
    QFETCH(QStringList, after);

    LoggingIni ini({"filename=app.log", "msg_format={msg}",
                    QString("max_backups=%1").arg(maxBackups)});
    QVERIFY(ini.isValid());
    for (int k : backups) {
        QFile backup(ini.file(QString("app.log.%1").arg(k)));
        QVERIFY(backup.open(QIODevice::WriteOnly));
        backup.write("b" + QByteArray::number(k));
    }
    StderrCapture capture;
    RotatingFileLogger logger(ini.settings(), 0);
    logLine(logger, QtCriticalMsg, "now");
    logger.close();
    logger.rotate();
    QCOMPARE(dirContents(ini.dir()), after.replaceInStrings("=now", "=now\n"));
}

void tst_FileLogger::flushTimerRotates_data()
{
    QTest::addColumn<QString>("maxSize");
    QTest::addColumn<bool>("rotates");

    QTest::newRow("reached") << "10" << true;
    QTest::newRow("zero never") << "0" << false;
    QTest::newRow("negative never") << "-5" << false;
    QTest::newRow("not reached") << "1000" << false;
}

void tst_FileLogger::flushTimerRotates()
{
    QFETCH(QString, maxSize);
    QFETCH(bool, rotates);

    LoggingIni ini({"filename=app.log", "msg_format={msg}", "max_size=" + maxSize});
    QVERIFY(ini.isValid());
    StderrCapture capture;
    FileLogger logger(ini.settings(), 0);
    // Debug lines wait in the file's buffer for the flush timer.
    logLine(logger, QtDebugMsg, "0123456789");
    QTRY_VERIFY_WITH_TIMEOUT(readAll(ini.file("app.log")) == "0123456789\n"
                                 || QFile::exists(ini.file("app.log.1")),
                             5000);
    QTest::qWait(200);
    QCOMPARE(QFile::exists(ini.file("app.log.1")), rotates);
    if (rotates) {
        QCOMPARE(readAll(ini.file("app.log.1")), QByteArray("0123456789\n"));
        QCOMPARE(QFileInfo(ini.file("app.log")).size(), 0);
    }
}

void tst_FileLogger::openFailureKeepsStderr()
{
    LoggingIni ini({"filename=logs/sub/app.log", "msg_format={type} {msg}"});
    QVERIFY(ini.isValid());
    // A regular file where the log directory should be stops even root.
    QFile blocker(ini.file("logs"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    StderrCapture capture;
    FileLogger logger(ini.settings(), 0);
    logLine(logger, QtWarningMsg, "still logged");
    const QByteArray text = capture.text();
    const QByteArray name = ini.file("logs/sub/app.log").toLocal8Bit();
    QVERIFY2(text.startsWith("Logging to " + name + "\nCannot open log file " + name + ": "),
             text.constData());
    QVERIFY2(text.endsWith("\nW still logged\n"), text.constData());
}

void tst_FileLogger::emptyNameKeepsStderr()
{
    LoggingIni ini({"msg_format={msg}"});
    QVERIFY(ini.isValid());
    StderrCapture capture;
    FileLogger logger(ini.settings(), 0);
    logLine(logger, QtDebugMsg, "on stderr");
    QCOMPARE(capture.text(), QByteArray("Logging to \nName of logFile is empty\non stderr\n"));
}

void tst_FileLogger::writeFailureFallsBackToStderr()
{
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("needs /dev/full");
    LoggingIni ini({"filename=/dev/full", "msg_format={msg}"});
    QVERIFY(ini.isValid());
    StderrCapture capture;
    FileLogger logger(ini.settings(), 0);
    logLine(logger, QtCriticalMsg, "lost on disk");
    logLine(logger, QtDebugMsg, "next");
    const QByteArray text = capture.text();
    QVERIFY2(text.startsWith("Logging to /dev/full\nCannot write to log file /dev/full: "),
             text.constData());
    QVERIFY2(text.endsWith("\nlost on disk\nnext\n"), text.constData());
}

void tst_FileLogger::dualLoggerWritesBoth()
{
    LoggingIni first({"filename=one.log", "msg_format=1 {msg}"});
    LoggingIni second({"filename=two.log", "msg_format=2 {msg}", "min_level=2"});
    QVERIFY(first.isValid() && second.isValid());
    StderrCapture capture;
    {
        DualFileLogger logger(first.settings(), second.settings(), 0);
        logLine(logger, QtWarningMsg, "w");
        logLine(logger, QtCriticalMsg, "c");
    }
    QCOMPARE(readAll(first.file("one.log")), QByteArray("1 w\n1 c\n"));
    QCOMPARE(readAll(second.file("two.log")), QByteArray("2 c\n"));
}

QTEST_GUILESS_MAIN(tst_FileLogger)
#include "tst_filelogger.moc"
