// Log export against simulated cameras: from the main system through the
// upgrade request and a reopen, or from the upgrade system at once; the
// archive streamed back across a gap, stored under its dated name; an empty
// archive and a held stream refused; the camera asked to reboot every time.

#include "support/TaskRun.h"
#include "support/TestHome.h"

#include <QDir>

using namespace vesk::pc;

namespace {

QByteArray archive(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 13 + (i >> 9));
    return data;
}

QString literal(const char* text)
{
    return QRegularExpression::escape(QString::fromLatin1(text));
}

} // namespace

Q_DECLARE_METATYPE(SimStreamFaults)

class tst_LogExport : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void initTestCase();
    void init();
    void exportLog_data();
    void exportLog();
};

void tst_LogExport::initTestCase()
{
    QVERIFY(home_.isValid());
    giveCamerasASubnet();
    qRegisterMetaType<FaultRule>();
}

void tst_LogExport::init()
{
    QDir(AppPaths::dataPath("log")).removeRecursively();
    QVERIFY(QDir().mkpath(AppPaths::dataPath("log")));
}

void tst_LogExport::exportLog_data()
{
    QTest::addColumn<int>("systemType");
    QTest::addColumn<QByteArray>("logArchive");
    QTest::addColumn<SimStreamFaults>("faults");
    QTest::addColumn<int>("outcome");  // what run reports: 1 exported, 0 not
    QTest::addColumn<QString>("text");  // with 0; 1 comes with the archive's path
    QTest::addColumn<QStringList>("road");
    QTest::addColumn<QString>("logged");
    const QString warning = "Warning: Please close any other programs that might use device!";
    const QString name = literal("/log/vesk_log.tar.gz");
    SimStreamFaults gap;
    gap.gapAfterPacket = 1;  // the stream stalls until the host asks again
    QTest::newRow("from the main system, with a gap in the stream")
        << 1 << archive(600000) << gap << 1 << QString()
        << QStringList{"1 shell " + literal("cp /app/private/LogFac* /log/ai/ -rf &"),
                       "1 shell " + literal("cp /factory/*.json /log/ai/ &"), "1 frame 8061 [0-9a-f]+",
                       "1 reboot upgrade", "2 command 0a", "2 command 09", "2 download 0 " + name,
                       "2 download 2 " + name, "2 syscall reboot", "2 reboot main"}
        << "Require restart";
    QTest::newRow("already in the upgrade system")
        << 2 << archive(1000) << SimStreamFaults() << 1 << QString()
        << QStringList{"1 command 0a", "1 command 09", "1 download 0 " + name, "1 download 2 " + name,
                       "1 syscall reboot", "1 reboot main"}
        << "save to ";
    QTest::newRow("an empty archive")
        << 2 << QByteArray() << SimStreamFaults() << 0 << QString()
        << QStringList{"1 command 0a", "1 command 09", "1 syscall reboot", "1 reboot main"}
        << "Get log file size failed";
    SimStreamFaults held;
    held.heldChecks = -1;
    QTest::newRow("a stream held by another program")
        << 1 << archive(1000) << held << 0 << warning << QStringList() << "streamIsOccupied";
}

void tst_LogExport::exportLog()
{
    QFETCH(int, systemType);
    QFETCH(QByteArray, logArchive);
    QFETCH(SimStreamFaults, faults);
    QFETCH(int, outcome);
    QFETCH(QString, text);
    QFETCH(QStringList, road);
    QFETCH(QString, logged);
    SimCameraModel model = rigCamera(systemType);
    model.rebootDelayMs = 10;
    model.upgrade.logArchive = logArchive;
    model.stream.faults = faults;
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.engine.reset(new UvcPatchUpgrade(rig.device->sn(), UvcPatchUpgrade::UvcTaskExtractLog, *rig.registry));
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.reports.size(), 1);
    QCOMPARE(run.reports.first().first, outcome);
    QVERIFY2(log.mentions(logged), qPrintable(logged));

    // The camera is asked to reboot in every case; in its main system the
    // request reaches only the wire.
    QVERIFY(matchesInOrder(journalWithout(*rig.camera), road));
    if (road.isEmpty())
        QCOMPARE(rig.attempts(3).value(0).left(7), QByteArray("reboot\0", 7));

    const QStringList stored = QDir(AppPaths::dataPath("log")).entryList(QDir::Files | QDir::Hidden);
    if (outcome == 0) {
        QCOMPARE(run.reports.first().second, text);
        QCOMPARE(stored, QStringList());
        return;
    }
    QCOMPARE(stored.size(), 1);
    QCOMPARE(run.reports.first().second, AppPaths::dataPath("log/") + stored.first());
    const QString expectedName = "\\d{8}_\\d{6}_vesk_log_" + rig.device->sn() + "\\.tar\\.gz";
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(expectedName)).match(stored.first()).hasMatch(),
             qPrintable(stored.first()));
    QCOMPARE(readFile(AppPaths::dataPath("log/") + stored.first()), logArchive);
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
}

QTEST_GUILESS_MAIN(tst_LogExport)
#include "tst_logexport.moc"
