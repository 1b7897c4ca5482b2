// The cloud pool's bounds under a hard time limit: a burst of 200 actions
// while the server is down keeps the window's thread free, the queue at 50
// and the shutdown short; camera reports stuck on a silent camera leave a
// thread for the other reports.

#include "support/CloudFixture.h"
#include "support/CloudTaskRun.h"
#include "cloud/ActionReport.h"
#include "cloud/CloudTaskPool.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QTimer>

using namespace vesk::pc;

class tst_CloudTaskPool : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void initTestCase();
    void burstWithTheServerDown_data();
    void burstWithTheServerDown();
    void stuckCameraReportsLeaveAThread();
};

void tst_CloudTaskPool::initTestCase()
{
    QVERIFY(home_.isValid());
    QThreadPool::globalInstance()->setMaxThreadCount(3);
    QVERIFY(startSimulatedCameras());
}

void tst_CloudTaskPool::burstWithTheServerDown_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("refusing") << false;
    QTest::newRow("accepting, never answering") << true;
}

void tst_CloudTaskPool::burstWithTheServerDown()
{
    QFETCH(bool, silent);
    FakeCloudServer server;
    QVERIFY(server.listen());
    server.setAnswer({200, QByteArray(), true});
    pointServersAt(server);
    if (!silent)
        server.close();
    CloudTaskPool& pool = CloudTaskPool::global();

    QElapsedTimer burst;
    burst.start();
    int mostWaiting = 0;
    for (int i = 0; i < 200; ++i) {
        devActionToServer(kOrlaSn, ActionZooming, SourceMouse, QString(), QStringLiteral("1.5x"));
        mostWaiting = qMax(mostWaiting, pool.waitingCount());
    }
    QVERIFY2(burst.elapsed() < 5000, qPrintable(QString::number(burst.elapsed())));
    QVERIFY(mostWaiting <= CloudTaskPool::kMaxWaiting);
    if (silent)
        QCOMPARE(mostWaiting, CloudTaskPool::kMaxWaiting);

    // The window's thread afterwards: its events do not wait on the tasks.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    ticker.start(10);
    sinceTick.start();
    QTest::qWait(500);
    QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));

    QElapsedTimer shutdown;
    shutdown.start();
    QVERIFY(pool.shutdown(5000));
    QVERIFY2(shutdown.elapsed() < 4000, qPrintable(QString::number(shutdown.elapsed())));
    QCOMPARE(pool.waitingCount(), 0);
    QVERIFY(server.requests().size() <= 3 + CloudTaskPool::kMaxWaiting);

    // Tasks started after a shutdown run again.
    FakeCloudServer live;
    QVERIFY(live.listen());
    pointServersAt(live);
    devActionToServer(kOrlaSn, ActionZooming, SourceMouse, QString(), QStringLiteral("2x"));
    QVERIFY(live.waitForRequests(1));
}

void tst_CloudTaskPool::stuckCameraReportsLeaveAThread()
{
    FakeCloudServer server;
    QVERIFY(server.listen());
    pointServersAt(server);
    const QSharedPointer<UvcDevice> zuki = plugCamera(0, "ZKSTUCK00001");
    QVERIFY(zuki);
    UvcTiming slow = zuki->timing();
    slow.replyWaitMs = 1500;  // each blocking read now waits 3 s
    zuki->setTiming(slow);
    SimKnobs silent;
    silent.noReply = true;
    const uint32_t location = uint32_t(zuki->locationId());
    sim().camera(location)->setKnobs(silent);

    CloudTaskRun run;
    for (int i = 0; i < 4; ++i)
        run.pool.start(new PushDevUsageState(QStringLiteral("ZKSTUCK00001"), PushDevUsageState::kExtStateFlag));
    QTRY_COMPARE_WITH_TIMEOUT(run.threads.activeThreadCount(), run.pool.cameraTaskLimit(), 2000);

    QElapsedTimer clock;
    clock.start();
    run.pool.start(new PushDevUsageState(QJsonObject{{"sn", kOrlaSn}, {"action", "zooming"}},
                                         PushDevUsageState::OrlaMainEvent));
    QVERIFY(server.waitForRequests(1, 2500));
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(server.requests().first().path(), QByteArray("/dev/orla/main_event/submit"));

    clock.restart();
    QVERIFY(run.pool.shutdown(5000));
    QVERIFY2(clock.elapsed() < 4500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(sim().unplug(location));
}

QTEST_GUILESS_MAIN(tst_CloudTaskPool)
#include "tst_cloudtaskpool.moc"
