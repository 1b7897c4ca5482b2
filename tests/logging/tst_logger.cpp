#include "logging/Logger.h"

#include "support/LogTestSupport.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Keeps the lines a logger would write instead of printing them.
class CapturingLogger : public Logger
{
public:
    CapturingLogger(const QString& format, QtMsgType minLevel, int bufferSize)
        : Logger(format, QStringLiteral("yyyy"), minLevel, bufferSize)
    {
    }
    QStringList lines;

protected:
    void write(const LogMessage* logMessage) override
    {
        lines.append(logMessage->toString(msg_format_, timestamp_format_));
    }
};

// Raises a Qt message from inside its own write, as Qt code under the logger might.
class ReenteringLogger : public Logger
{
protected:
    void write(const LogMessage* logMessage) override
    {
        qWarning("inner warning");
        Logger::write(logMessage);
    }
};

} // namespace

class tst_Logger : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void format_data();
    void format();
    void timestamp();
    void threadVariables();
    void buffering_data();
    void buffering();
    void clearDropsBuffer();
    void buffersEndWithTheirLogger();
    void handlerPassesContext();
    void handlerWithoutLogger();
    void messageFromInsideLoggerGoesToStderr();
};

void tst_Logger::format_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("token in message") << "{msg}" << 0 << "a{type}b" << "" << "aDb\n";
    QTest::newRow("file after last slash") << "{file}" << 0 << "" << "../src/x/Name" << "Name\n";
    QTest::newRow("file without slash") << "{file}" << 0 << "" << "Name.cpp" << "Name.cpp\n";
    QTest::newRow("empty file") << "[{file}]" << 0 << "" << "" << "[]\n";
    QTest::newRow("debug") << "{type}" << 0 << "" << "" << "D\n";
    QTest::newRow("warning") << "{type}" << 1 << "" << "" << "W\n";
    QTest::newRow("critical") << "{type}" << 2 << "" << "" << "C\n";
    QTest::newRow("fatal") << "{type}" << 3 << "" << "" << "F\n";
    QTest::newRow("info") << "{type}" << 4 << "" << "" << "I\n";
    QTest::newRow("unknown type keeps token") << "{type} {type_nr}" << 5 << "" << "" << "{type} 5\n";
    QTest::newRow("type number") << "{type_nr}" << 4 << "" << "" << "4\n";
    QTest::newRow("every occurrence") << "{msg}|{msg}" << 0 << "x" << "" << "x|x\n";
    QTest::newRow("case-sensitive") << "{MSG}{Type}" << 0 << "x" << "" << "{MSG}{Type}\n";
    QTest::newRow("function and line") << "{function}:{line}" << 1 << "" << "" << "void f():42\n";
    QTest::newRow("unknown token") << "{nothing} {msg}" << 0 << "m" << "" << "{nothing} m\n";
}

void tst_Logger::format()
{
    QFETCH(QString, format);
    QFETCH(int, type);
    QFETCH(QString, message);
    QFETCH(QString, file);
    QFETCH(QString, expected);

    const LogMessage logMessage(QtMsgType(type), message, nullptr, file,
                                QStringLiteral("void f()"), 42);
    QCOMPARE(logMessage.toString(format, QStringLiteral("yyyy")), expected);
    QCOMPARE(int(logMessage.getType()), type);
}

void tst_Logger::timestamp()
{
    const QString stampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const LogMessage logMessage(QtInfoMsg, QStringLiteral("m"), nullptr, QString(), QString(), 0);
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);

    const QString line = logMessage.toString(QStringLiteral("{timestamp}"), stampFormat);
    const QDateTime stamp = QDateTime::fromString(line.trimmed(), stampFormat);
    QVERIFY2(stamp.isValid(), qPrintable(line));
    QVERIFY(stamp >= before && stamp <= after);
    QCOMPARE(logMessage.toString(QStringLiteral("{thread}"), stampFormat),
             QString::asprintf("%p\n", static_cast<void*>(QThread::currentThreadId())));
}

void tst_Logger::threadVariables()
{
    CapturingLogger logger(QStringLiteral("{user}/{msg}"), QtDebugMsg, 2);
    Logger::set(QStringLiteral("user"), QStringLiteral("ann"));
    logger.log(QtDebugMsg, QStringLiteral("held"), QString(), QString(), 0);
    // A buffered message keeps the value it was sent with.
    Logger::set(QStringLiteral("user"), QStringLiteral("bob"));
    logger.log(QtDebugMsg, QStringLiteral("now"), QString(), QString(), 0);

    // Another thread has variables of its own.
    QThread* other = QThread::create([&logger] {
        Logger::set(QStringLiteral("user"), QStringLiteral("eve"));
        logger.log(QtDebugMsg, QStringLiteral("there"), QString(), QString(), 0);
    });
    other->start();
    QVERIFY(other->wait(10000));
    delete other;

    logger.clear(false, true);
    logger.log(QtDebugMsg, QStringLiteral("gone"), QString(), QString(), 0);
    QCOMPARE(logger.lines, QStringList({QStringLiteral("ann/held\n"), QStringLiteral("bob/now\n"),
                                        QStringLiteral("eve/there\n"),
                                        QStringLiteral("{user}/gone\n")}));
}

void tst_Logger::buffering_data()
{
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("minLevel");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("critical writes the last of the buffer")
        << 3 << 2 << QList<int>{0, 0, 0, 0, 2} << QStringList{"3", "4", "5"};
    QTest::newRow("buffered info counts as debug") << 3 << 1 << QList<int>{4} << QStringList{};
    QTest::newRow("unbuffered info above warning") << 0 << 1 << QList<int>{4} << QStringList{"1"};
    QTest::newRow("unbuffered below minimum dropped")
        << 0 << 2 << QList<int>{0, 1, 2, 4} << QStringList{"3", "4"};
    QTest::newRow("warning reaches minimum") << 2 << 1 << QList<int>{0, 0, 1} << QStringList{"2", "3"};
    QTest::newRow("buffer written only once") << 2 << 1 << QList<int>{1, 0, 0, 1}
                                              << QStringList{"1", "3", "4"};
    // The process ends after a fatal message; it is written whatever the minimum.
    QTest::newRow("fatal above any minimum") << 2 << 5 << QList<int>{0, 3} << QStringList{"1", "2"};
    QTest::newRow("unbuffered fatal above any minimum") << 0 << 5 << QList<int>{0, 3}
                                                        << QStringList{"2"};
}

void tst_Logger::buffering()
{
    QFETCH(int, bufferSize);
    QFETCH(int, minLevel);
    QFETCH(QList<int>, types);
    QFETCH(QStringList, written);

    CapturingLogger logger(QStringLiteral("{msg}"), QtMsgType(minLevel), bufferSize);
    for (int i = 0; i < types.size(); ++i)
        logger.log(QtMsgType(types[i]), QString::number(i + 1), QString(), QString(), 0);
    QStringList expected;
    for (const QString& text : written)
        expected.append(text + QLatin1Char('\n'));
    QCOMPARE(logger.lines, expected);
}

void tst_Logger::clearDropsBuffer()
{
    CapturingLogger logger(QStringLiteral("{msg}"), QtCriticalMsg, 3);
    logger.log(QtDebugMsg, QStringLiteral("dropped"), QString(), QString(), 0);
    logger.clear(true, false);
    logger.log(QtCriticalMsg, QStringLiteral("kept"), QString(), QString(), 0);
    QCOMPARE(logger.lines, QStringList{QStringLiteral("kept\n")});
}

// A thread that outlives a logger must not carry that logger's held-back
// messages into the next one.
void tst_Logger::buffersEndWithTheirLogger()
{
    struct Worker : QThread
    {
        ~Worker() override
        {
            quit();
            wait();
        }
    };
    QObject onWorker;
    Worker worker;
    onWorker.moveToThread(&worker);
    worker.start();
    auto run = [&onWorker](const std::function<void()>& body) {
        QMetaObject::invokeMethod(&onWorker, body, Qt::BlockingQueuedConnection);
    };
    for (int round = 0; round < 3; ++round) {
        CapturingLogger logger(QStringLiteral("{msg}"), QtCriticalMsg, 3);
        run([&logger, round] {
            logger.log(QtCriticalMsg, QStringLiteral("now %1").arg(round), QString(), QString(), 0);
            logger.log(QtDebugMsg, QStringLiteral("held %1").arg(round), QString(), QString(), 0);
        });
        QCOMPARE(logger.lines, QStringList{QStringLiteral("now %1\n").arg(round)});
    }
    // A thread that ends takes what it held back with it (the leak checker
    // of the sanitizer build would report it otherwise).
    CapturingLogger logger(QStringLiteral("{msg}"), QtCriticalMsg, 3);
    std::unique_ptr<QThread> shortLived(QThread::create([&logger] {
        logger.log(QtDebugMsg, QStringLiteral("never written"), QString(), QString(), 0);
    }));
    shortLived->start();
    QVERIFY(shortLived->wait(10000));
    QCOMPARE(logger.lines, QStringList());
}

void tst_Logger::handlerPassesContext()
{
    HandlerRestore restore;
    {
        CapturingLogger logger(QStringLiteral("{type} {file}:{line} {function}: {msg}"),
                               QtDebugMsg, 0);
        logger.installMsgHandler();
        const int line = __LINE__ + 1;
        qInfo("hello %d", 5);
        QCOMPARE(logger.lines.size(), 1);
        QCOMPARE(logger.lines[0], QStringLiteral("I tst_logger.cpp:%1 void tst_Logger::"
                                                 "handlerPassesContext(): hello 5\n").arg(line));
    }
    // The destroyed logger no longer takes the messages.
    const QtMessageHandler current = qInstallMessageHandler(restore.saved());
    QVERIFY(current != &Logger::msgHandler5);
}

void tst_Logger::handlerWithoutLogger()
{
    StderrCapture capture;
    Logger::msgHandler(QtWarningMsg, QStringLiteral("bare text"), QString(), QString(), 1);
    QCOMPARE(capture.text(), QByteArray("bare text"));
}

void tst_Logger::messageFromInsideLoggerGoesToStderr()
{
    HandlerRestore restore;
    StderrCapture capture;
    {
        ReenteringLogger logger;
        logger.installMsgHandler();
        qCritical("outer");
    }
    const QByteArray text = capture.text();
    QVERIFY2(text.startsWith("inner warning"), text.constData());
    QVERIFY2(text.endsWith(" C outer\n"), text.constData());
}

QTEST_GUILESS_MAIN(tst_Logger)
#include "tst_logger.moc"
