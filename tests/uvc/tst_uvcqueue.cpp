// The camera object's message channel: what it adds to the channel's own
// behaviour (refusals by mode, the queue held in upgrade mode, the status
// poll on the device thread, a thread that cannot stop).

#include "support/SimFixture.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>

using namespace vesk::pc;
using FrmPacket = ProtocolMsg::FrmPacket;

class StatusListener : public QObject
{
    Q_OBJECT
public:
    QList<CameraStatus> received;
public slots:
    void onDevStateUpdate(vesk::pc::CameraStatus status) { received << status; }
};

class tst_UvcQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refusals();
    void upgradeModeHoldsTheQueueButNotDirectWrites();
    void statusPoll_data();
    void statusPoll();
    void pollCounterPutsThePollOff();
    void closeThatCannotStopKeepsTheObject();
};

void tst_UvcQueue::initTestCase()
{
    qRegisterMetaType<vesk::pc::CameraStatus>("CameraStatus");
    qRegisterMetaType<vesk::pc::CameraStatus>();
}

void tst_UvcQueue::refusals()
{
    SimFixture sim;
    QObject receiver;  // never called: every send here is refused
    auto method = QSharedPointer<QString>::create("onDevStatus");
    FrmPacket tooLong = makeFrame(0x13D2, 0xE1, {});
    tooLong.setPayloadLength(49);  // 61 bytes
    QByteArray response;

    // Closed: the interface test comes before the length test.
    QTest::ignoreMessage(QtWarningMsg, "uvc device not open yet!");
    QCOMPARE(sim.device->sendMsgSync(tooLong, response), UvcDevice::ErrDevNotOpen);

    QCOMPARE(sim.device->open(), 0);
    QTest::ignoreMessage(QtWarningMsg, "Data len 61 > uvc max payload len 60");
    QCOMPARE(sim.device->sendMsgSync(tooLong, response), UvcDevice::ErrDataTooLong);
    QTest::ignoreMessage(QtWarningMsg, "Data len 61 > uvc max payload len 60");
    QCOMPARE(sim.device->sendMsgSyncNonBlock(tooLong, method, &receiver), UvcDevice::ErrDataTooLong);
    QTest::ignoreMessage(QtWarningMsg, "Data len 61 > uvc max payload len 60");
    QCOMPARE(sim.device->sendMsgAsync(tooLong, true), UvcDevice::ErrDataTooLong);
    QTest::ignoreMessage(QtWarningMsg, "Data len 61 > uvc max payload len 60");
    QCOMPARE(sim.device->sendMsgAsyncDirectly(tooLong), UvcDevice::ErrDataTooLong);
    QCOMPARE(sim.device->protocol().peekSequence(), uint16_t(0));
    QCOMPARE(sim.device->queuedCount(), 0);

    // Network mode is tested first of all.
    SimFixture net(SimCameraModel(), UvcDevice::DevModeNet);
    QCOMPARE(net.device->open(), 0);
    FrmPacket frame = versionRequest();
    QTest::ignoreMessage(QtCriticalMsg, "Net mode not supported");
    QCOMPARE(net.device->sendMsgAsync(frame, false), UvcDevice::ErrNetModeNotSupported);
    QTest::ignoreMessage(QtCriticalMsg, "Net mode not supported");
    QCOMPARE(net.device->sendMsgAsyncDirectly(tooLong), UvcDevice::ErrNetModeNotSupported);
}

void tst_UvcQueue::upgradeModeHoldsTheQueueButNotDirectWrites()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    sim.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    // Held from now on, even by a pass under way.
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.device->sendMsgAsync(frame, false), UvcDevice::ErrSuccess);
    QCOMPARE(sim.device->sendMsgAsyncDirectly(frame), UvcDevice::ErrSuccess);
    QTest::qWait(40);
    QCOMPARE(sim.camera->writtenFrames().size(), 1);  // only the direct one
    QCOMPARE(sim.device->queuedCount(), 1);
    QCOMPARE(uint8_t(sim.camera->writtenFrames()[0].at(5)), uint8_t(1));  // numbered after the queued one
    sim.device->setDevMode(UvcDevice::DevModeUvc);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 2, 5000);
    QCOMPARE(sim.device->queuedCount(), 0);
}

void tst_UvcQueue::statusPoll_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("systemType");
    QTest::addColumn<bool>("report");
    QTest::addColumn<bool>("polled");
    QTest::addColumn<bool>("signalled");
    QTest::newRow("main system, reporting") << 0 << 1 << true << true << true;
    QTest::newRow("main system, not reporting") << 0 << 1 << false << true << false;
    QTest::newRow("other system") << 0 << 2 << true << false << false;
    QTest::newRow("upgrade mode") << 2 << 1 << true << false << false;
}

void tst_UvcQueue::statusPoll()
{
    QFETCH(int, mode);
    QFETCH(int, systemType);
    QFETCH(bool, report);
    QFETCH(bool, polled);
    QFETCH(bool, signalled);
    SimCameraModel model;
    model.statusBlock = QByteArray::fromHex("020103");
    SimFixture sim(model);
    StatusListener listener;
    connect(sim.device.data(), &UvcDevice::devStateUpdate, &listener, &StatusListener::onDevStateUpdate,
            Qt::QueuedConnection);
    sim.device->setSystemType(systemType);
    sim.device->setStatusReportEnabled(report);
    sim.device->setDevMode(UvcDevice::DevMode(mode));
    QCOMPARE(sim.device->open(), 0);
    if (polled)
        QTRY_VERIFY_WITH_TIMEOUT(!sim.requestsOn(6, UvcRequest::GetCur).isEmpty(), 5000);
    QTest::qWait(100);  // many polls' worth of 1 ms passes
    QCOMPARE(!sim.requestsOn(6, UvcRequest::GetCur).isEmpty(), polled);
    if (signalled) {
        QTRY_VERIFY_WITH_TIMEOUT(!listener.received.isEmpty(), 5000);
        QCOMPARE(listener.received.first().at(0), uint8_t(2));
        QCOMPARE(listener.received.first().at(2), uint8_t(3));
    } else {
        QCoreApplication::processEvents();
        QVERIFY(listener.received.isEmpty());
    }
    // The device thread keeps the block after the camera saw the read.
    if (polled)
        QTRY_COMPARE_WITH_TIMEOUT(sim.device->cachedStatus().at(1), uint8_t(1), 5000);
}

void tst_UvcQueue::pollCounterPutsThePollOff()
{
    SimFixture sim;
    sim.device->setSystemType(1);
    sim.device->setStatusPollCounter(-1000000);
    QCOMPARE(sim.device->open(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(sim.device->statusPollCounter() > -1000000 + 20, 5000);
    QVERIFY(sim.requestsOn(6, UvcRequest::GetCur).isEmpty());
    sim.device->setStatusPollCounter(1000);
    QTRY_VERIFY_WITH_TIMEOUT(!sim.requestsOn(6, UvcRequest::GetCur).isEmpty(), 5000);
}

void tst_UvcQueue::closeThatCannotStopKeepsTheObject()
{
    SimCameraModel model;
    model.knobs.transferDelayMs = 400;
    UvcTiming timing = fastTiming();
    timing.closeWaitMs = 30;
    SimFixture sim(model, UvcDevice::DevModeUvc, timing);
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    sim.device->sendMsgAsync(frame, false);
    QTRY_VERIFY_WITH_TIMEOUT(sim.camera->activeRequests() > 0, 5000);  // inside the slow write
    QPointer<UvcDevice> watch = sim.device.data();
    QTest::ignoreMessage(QtCriticalMsg, "Device thread did not end within 30 ms");
    QTest::ignoreMessage(QtCriticalMsg, "Device thread did not end, the camera object is kept alive");
    sim.device.reset();
    QVERIFY(watch);  // kept, not freed under its thread
    QCOMPARE(UvcDevice::reapParkedDevices(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(UvcDevice::reapParkedDevices(), 0, 5000);
    QVERIFY(!watch);
    QVERIFY(!sim.camera->isControlInterfaceOpen());
}

QTEST_GUILESS_MAIN(tst_UvcQueue)
#include "tst_uvcqueue.moc"
