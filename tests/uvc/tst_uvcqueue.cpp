// The send queue and the device thread against a simulated camera: the four
// send operations, resend, reply matching, delivery to waiting callers and to
// receivers in other threads, many senders at once, the status poll, and
// stopping the thread.

#include "support/SimFixture.h"
#include "support/LogCapture.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>

using namespace vesk::pc;
using FrmPacket = ProtocolMsg::FrmPacket;

Q_DECLARE_METATYPE(vesk::pc::SimKnobs)

namespace {

FrmPacket makeFrame(uint16_t command, uint8_t addresses, const QByteArray& payload)
{
    FrmPacket frame;
    frame.setAddresses(addresses);
    frame.setCommand(command);
    std::memcpy(frame.payload(), payload.constData(), size_t(payload.size()));
    frame.setPayloadLength(payload.size());
    return frame;
}

FrmPacket versionRequest() { return makeFrame(0x8010, 0xE8, {}); }

} // namespace

class Receiver : public QObject
{
    Q_OBJECT
public:
    std::atomic<int> calls{0};
    int value = -1;
    QVariantList aiStatus;
    QThread* calledIn = nullptr;

public slots:
    void onDevStatus(int status)
    {
        value = status;
        calledIn = QThread::currentThread();
        ++calls;
    }
    void onAiStatus(int tracking, int mode, int third, int fourth, float ratio)
    {
        aiStatus = {tracking, mode, third, fourth, ratio};
        calledIn = QThread::currentThread();
        ++calls;
    }
};

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
    void blockingRequestAnsweredAtOnce();
    void theCallersFrameIsNeverChanged();
    void answeredOnlyAfterTheResend();
    void neverAnswered();
    void replyResults_data();
    void replyResults();
    void faultyRepliesAreDropped_data();
    void faultyRepliesAreDropped();
    void refusals();
    void shortFrameAfterLongOneIsZeroPadded();
    void asyncSendsReadNothing();
    void upgradeModeHoldsTheQueueButNotDirectWrites();
    void directWriteFailure();
    void nonBlockingReplyReachesReceiverThread();
    void aiStatusReplyIsDecoded();
    void nonBlockingReplyToAGoneReceiver();
    void nonBlockingErrorAndTimeout();
    void manySendersAtOnce();
    void statusPoll_data();
    void statusPoll();
    void pollCounterPutsThePollOff();
    void realTiming();
    void closeThatCannotStopKeepsTheObject();
};

void tst_UvcQueue::initTestCase()
{
    qRegisterMetaType<vesk::pc::CameraStatus>("CameraStatus");
    qRegisterMetaType<vesk::pc::CameraStatus>();
}

void tst_UvcQueue::blockingRequestAnsweredAtOnce()
{
    SimFixture sim;
    sim.camera->setReply(0x8010, QByteArray::fromHex("07030001"));
    QCOMPARE(sim.device->open(), 0);
    for (int i = 0; i < 7; ++i)
        sim.device->protocol().nextSequence();
    FrmPacket frame = versionRequest();
    QByteArray response;
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    QCOMPARE(response.toHex(), QByteArray("07030001"));
    QCOMPARE(sim.device->queuedCount(), 0);
    QCOMPARE(sim.camera->writtenFrames(), QList<QByteArray>{padded60("AA000C120007438200E88010")});
}

void tst_UvcQueue::theCallersFrameIsNeverChanged()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    for (int i = 0; i < 7; ++i)
        sim.device->protocol().nextSequence();
    FrmPacket frame = versionRequest();
    const FrmPacket before = frame;
    QByteArray response;
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    QVERIFY(std::memcmp(before.bytes, frame.bytes, sizeof frame.bytes) == 0);
    const QList<QByteArray> expected = {padded60("AA000C120007438200E88010"),
                                        padded60("AA000C120008437D00E88010")};
    QCOMPARE(sim.camera->writtenFrames(), expected);
}

void tst_UvcQueue::answeredOnlyAfterTheResend()
{
    SimCameraModel model;
    model.knobs.replyToSecondCopyOnly = true;
    model.replies.insert(0x8010, QByteArray::fromHex("01020304"));
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = versionRequest();
    QByteArray response;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    QVERIFY(timer.elapsed() >= fastTiming().replyWaitMs);
    QCOMPARE(response.toHex(), QByteArray("01020304"));
    const QList<QByteArray> frames = sim.camera->writtenFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0], frames[1]);  // the same bytes, the same sequence
}

void tst_UvcQueue::neverAnswered()
{
    SimCameraModel model;
    model.knobs.noReply = true;
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = versionRequest();
    QByteArray response("untouched");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrNoReply);
    QVERIFY(timer.elapsed() >= 2 * fastTiming().replyWaitMs);
    QCOMPARE(response, QByteArray("untouched"));
    QCOMPARE(sim.device->queuedCount(), 0);
    QCOMPARE(sim.camera->writtenFrames().size(), 2);
}

void tst_UvcQueue::replyResults_data()
{
    QTest::addColumn<int>("resultCode");
    QTest::addColumn<int>("replyLength");
    QTest::addColumn<int>("expected");
    QTest::newRow("code 0") << 0 << -1 << 0;
    QTest::newRow("code 5") << 5 << -1 << 5;
    QTest::newRow("code 1") << 1 << -1 << 6;
    QTest::newRow("code 255") << 255 << -1 << 6;
    QTest::newRow("no result byte") << 0 << 12 << 6;
    QTest::newRow("result and no data") << 0 << 13 << 0;
}

void tst_UvcQueue::replyResults()
{
    QFETCH(int, resultCode);
    QFETCH(int, replyLength);
    QFETCH(int, expected);
    SimCameraModel model;
    model.knobs.resultCode = resultCode;
    model.knobs.replyFrameLength = replyLength;
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("0102"));
    QByteArray response;
    QCOMPARE(int(sim.device->sendMsgSync(frame, response)), expected);
    QCOMPARE(sim.camera->writtenFrames().size(), 1);  // answered, so never resent
    if (expected == 0)
        QCOMPARE(response, replyLength == 13 ? QByteArray() : QByteArray::fromHex("0102"));
}

void tst_UvcQueue::faultyRepliesAreDropped_data()
{
    QTest::addColumn<SimKnobs>("knobs");
    QTest::addColumn<QString>("logLine");
    SimKnobs knobs;
    knobs.badCrc = true;
    QTest::newRow("bad crc") << knobs << QStringLiteral("Msg check failed, ret_val = 5");
    knobs = {};
    knobs.version2Replies = true;
    knobs.wrongReceiver = true;
    QTest::newRow("wrong receiver") << knobs << QStringLiteral("Invalid receiver: 1");
    knobs = {};
    knobs.shortReadBytes = 13;  // the 14-byte reply arrives cut
    QTest::newRow("short read") << knobs << QStringLiteral("Msg check failed, ret_val = 3");
}

void tst_UvcQueue::faultyRepliesAreDropped()
{
    QFETCH(SimKnobs, knobs);
    QFETCH(QString, logLine);
    SimCameraModel model;
    model.knobs = knobs;
    UvcTiming timing = fastTiming();
    timing.replyWaitMs = 500;
    SimFixture sim(model, UvcDevice::DevModeUvc, timing);
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QByteArray response;
    LogCapture log;  // how many copies get answered in time depends on the machine's load
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrNoReply);
    QVERIFY(log.contains(logLine));
    QVERIFY(log.startsWith(QStringLiteral("Try to resend packet: seq = 0 , flag =")));
}

void tst_UvcQueue::refusals()
{
    SimFixture sim;
    Receiver receiver;
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

void tst_UvcQueue::shortFrameAfterLongOneIsZeroPadded()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    FrmPacket longFrame = makeFrame(0x2001, 0xE2, QByteArray(48, '\x7f'));
    FrmPacket shortFrame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.device->sendMsgAsync(longFrame, false), UvcDevice::ErrSuccess);
    QCOMPARE(sim.device->sendMsgAsync(shortFrame, false), UvcDevice::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 2, 5000);
    // sequence 1, response not requested (flags 0x10)
    QCOMPARE(sim.camera->writtenFrames()[1].toHex(), padded60("AA000D100001D3C500E113D201").toHex());
}

void tst_UvcQueue::asyncSendsReadNothing()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.device->sendMsgAsync(frame, true), UvcDevice::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 1, 5000);
    QCOMPARE(uint8_t(sim.camera->writtenFrames()[0].at(3)), uint8_t(0x12));
    QCOMPARE(sim.device->queuedCount(), 0);
    QTest::qWait(30);
    QVERIFY(sim.requestsOn(2, UvcRequest::GetCur).isEmpty());
    QCOMPARE(sim.camera->pendingReplies(), 1);  // answered, never read
}

void tst_UvcQueue::upgradeModeHoldsTheQueueButNotDirectWrites()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    sim.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    QTest::qWait(20);
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

void tst_UvcQueue::directWriteFailure()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    sim.camera->unplug();
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QTest::ignoreMessage(QtWarningMsg, "UVC_SET failed, expected len 60 != sended len -1, retry");
    QCOMPARE(sim.device->sendMsgAsyncDirectly(frame), UvcDevice::ErrDirectWriteFailed);
}

void tst_UvcQueue::nonBlockingReplyReachesReceiverThread()
{
    SimFixture sim;
    sim.camera->setReply(0x13C2, QByteArray::fromHex("01"));
    QCOMPARE(sim.device->open(), 0);
    QThread receiverThread;
    receiverThread.start();
    Receiver receiver;
    receiver.moveToThread(&receiverThread);

    FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
    QCOMPARE(sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver),
             UvcDevice::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    QCOMPARE(receiver.value, 1);
    QCOMPARE(receiver.calledIn, &receiverThread);
    QCOMPARE(sim.device->queuedCount(), 0);
    receiverThread.quit();
    QVERIFY(receiverThread.wait(5000));
}

void tst_UvcQueue::aiStatusReplyIsDecoded()
{
    SimFixture sim;
    QByteArray data(38, '\0');
    data[30] = 1;
    data[31] = 2;
    data[32] = 3;  // 3 or more reads as 0
    data[37] = 2;
    const QByteArray ratio = QByteArray::fromHex("0000c03f");  // 1.5f
    data.replace(33, 4, ratio);
    sim.camera->setReply(0x3092, data);
    QCOMPARE(sim.device->open(), 0);
    Receiver receiver;
    FrmPacket frame = makeFrame(0x3092, 0xE3, {});
    QCOMPARE(sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onAiStatus"), &receiver),
             UvcDevice::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    const QVariantList expected = {1, 2, 0, 2, 1.5f};
    QCOMPARE(receiver.aiStatus, expected);
}

void tst_UvcQueue::nonBlockingReplyToAGoneReceiver()
{
    SimCameraModel model;
    model.knobs.replyDelayMs = 30;
    model.replies.insert(0x13C2, QByteArray::fromHex("01"));
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    QThread receiverThread;
    receiverThread.start();
    const int requests = 20;
    for (int i = 0; i < requests; ++i) {
        auto* receiver = new Receiver;
        receiver->moveToThread(&receiverThread);
        FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
        sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), receiver);
        // Gone at different moments: before the reply, around its delivery.
        QTimer::singleShot(i, receiver, &QObject::deleteLater);
    }
    QTRY_COMPARE_WITH_TIMEOUT(sim.device->queuedCount(), 0, 10000);
    QCOMPARE(sim.camera->writtenFrames().size(), requests);
    receiverThread.quit();
    QVERIFY(receiverThread.wait(5000));
}

void tst_UvcQueue::nonBlockingErrorAndTimeout()
{
    SimCameraModel model;
    model.knobs.resultCode = 1;
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    Receiver receiver;
    QTest::ignoreMessage(QtCriticalMsg, "Error response = 1 in cmd set Camera, cmd id SET_CAMERA_DEVSTATUS");
    FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
    sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.device->queuedCount(), 0, 5000);

    SimKnobs knobs;
    knobs.noReply = true;
    sim.camera->setKnobs(knobs);
    sim.camera->clearRequests();
    sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.device->queuedCount(), 0, 5000);
    // Given up at its 50th scan: the pass after the write never reads for it.
    QCOMPARE(sim.requestsOn(2, UvcRequest::GetCur).size(), fastTiming().receiverScans - 2);

    // A reply too short to carry a result code reaches nobody.
    knobs = {};
    knobs.replyFrameLength = 12;
    sim.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtWarningMsg, "Reply without result code, cmd = 13c2");
    sim.device->sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.device->queuedCount(), 0, 5000);
    QCoreApplication::processEvents();
    QCOMPARE(receiver.calls.load(), 0);
}

void tst_UvcQueue::manySendersAtOnce()
{
    UvcTiming timing = fastTiming();
    timing.replyWaitMs = 1000;  // a crowded queue under a loaded machine still answers in time
    SimFixture sim(SimCameraModel(), UvcDevice::DevModeUvc, timing);
    QCOMPARE(sim.device->open(), 0);
    const int threads = 8;
    const int requests = 25;
    std::atomic<int> matched{0};
    std::atomic<int> failed{0};
    QList<QThread*> senders;
    for (int t = 0; t < threads; ++t) {
        senders << QThread::create([&, t] {
            for (int r = 0; r < requests; ++r) {
                const QByteArray payload = QByteArray::number(t) + ':' + QByteArray::number(r);
                FrmPacket frame = makeFrame(0x13D2, 0xE1, payload);
                QByteArray response;
                // the camera echoes the payload, so a mixed-up reply shows
                if (sim.device->sendMsgSync(frame, response) == UvcDevice::ErrSuccess && response == payload)
                    ++matched;
                else
                    ++failed;
            }
        });
    }
    QElapsedTimer timer;
    timer.start();
    for (QThread* sender : senders)
        sender->start();
    bool allEnded = true;
    for (QThread* sender : senders)
        allEnded = sender->wait(60000) && allEnded;
    QVERIFY2(allEnded, "a sender is stuck");
    qDeleteAll(senders);
    QVERIFY(timer.elapsed() < 60000);
    QCOMPARE(failed.load(), 0);
    QCOMPARE(matched.load(), threads * requests);
    QCOMPARE(sim.device->queuedCount(), 0);
    QVERIFY(sim.camera->writtenFrames().size() >= threads * requests);
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
    if (polled)
        QCOMPARE(sim.device->cachedStatus().at(1), uint8_t(1));
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

void tst_UvcQueue::realTiming()
{
    SimCameraModel model;
    model.knobs.replyToSecondCopyOnly = true;
    SimFixture sim(model, UvcDevice::DevModeUvc, UvcTiming());
    QCOMPARE(sim.device->open(), 0);
    QElapsedTimer timer;
    timer.start();
    FrmPacket frame = versionRequest();
    QByteArray response;
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    const qint64 resent = timer.elapsed();
    QVERIFY2(resent >= 1000 && resent < 3000, QByteArray::number(resent));

    sim.camera->setKnobs(SimKnobs());
    timer.restart();
    QCOMPARE(sim.device->sendMsgSync(frame, response), UvcDevice::ErrSuccess);
    const qint64 prompt = timer.elapsed();
    QVERIFY2(prompt >= 35 && prompt < 1000, QByteArray::number(prompt));  // two 20 ms passes at least
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
