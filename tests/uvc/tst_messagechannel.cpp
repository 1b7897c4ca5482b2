// The message channel on its own, over a control transport on a simulated
// camera: numbering and wire bytes, the four sends, resend, reply matching
// for many senders at once, the decoder table's delivery to receivers in
// other threads, and a stop under a blocking send.

#include "support/ChannelRig.h"
#include "support/LogCapture.h"
#include "uvc/ReplyDecoders.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>

using namespace vesk::pc;
using FrmPacket = ProtocolMsg::FrmPacket;

Q_DECLARE_METATYPE(vesk::pc::SimKnobs)

class Receiver : public QObject
{
    Q_OBJECT
public:
    std::atomic<int> calls{0};
    int value = -1;
    QVariantList aiStatus;
    QVariantList arguments;
    QThread* calledIn = nullptr;

public slots:
    void onDevStatus(int status)
    {
        value = status;
        arguments = {status};
        calledIn = QThread::currentThread();
        ++calls;
    }
    void onAiStatus(int tracking, int mode, int third, int fourth, float ratio)
    {
        aiStatus = {tracking, mode, third, fourth, ratio};
        arguments = aiStatus;
        calledIn = QThread::currentThread();
        ++calls;
    }
};

class tst_MessageChannel : public QObject
{
    Q_OBJECT
private slots:
    void wireBytes_data();
    void wireBytes();
    void blockingRequestAnsweredAtOnce();
    void theCallersFrameIsNeverChanged();
    void answeredOnlyAfterTheResend();
    void neverAnswered();
    void replyResults_data();
    void replyResults();
    void faultyRepliesAreDropped_data();
    void faultyRepliesAreDropped();
    void shortFrameAfterLongOneIsZeroPadded();
    void asyncSendsReadNothing();
    void directWriteFailure();
    void nonBlockingReplyReachesReceiverThread();
    void decoderRows_data();
    void decoderRows();
    void aiStatusReplyIsDecoded();
    void nonBlockingReplyToAGoneReceiver();
    void nonBlockingErrorAndTimeout();
    void manySendersAtOnce();
    void stopUnderBlockingSends();
    void passHooksRunEachPass();
    void realTiming();
};

// Each send's frame on the wire: numbered from the channel's counter, the
// response flag set or cleared by the kind of send.
void tst_MessageChannel::wireBytes_data()
{
    QTest::addColumn<QString>("send");
    QTest::addColumn<int>("skipped");  // sequence numbers used before
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("addresses");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("blocking, version query") << "sync" << 7 << 0x8010 << 0xE8 << QByteArray()
                                             << QByteArray("AA000C120007438200E88010");
    QTest::newRow("blocking, next number") << "sync" << 8 << 0x8010 << 0xE8 << QByteArray()
                                           << QByteArray("AA000C120008437D00E88010");
    QTest::newRow("queued without reply") << "async" << 1 << 0x13D2 << 0xE1 << QByteArray("01")
                                          << QByteArray("AA000D100001D3C500E113D201");
}

void tst_MessageChannel::wireBytes()
{
    QFETCH(QString, send);
    QFETCH(int, skipped);
    QFETCH(int, command);
    QFETCH(int, addresses);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);
    ChannelRig sim;
    QVERIFY(sim.open());
    for (int i = 0; i < skipped; ++i)
        sim.channel.protocol().nextSequence();
    FrmPacket frame = makeFrame(uint16_t(command), uint8_t(addresses), QByteArray::fromHex(payload));
    QByteArray response;
    if (send == QLatin1String("sync"))
        QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    else
        QCOMPARE(sim.channel.sendMsgAsync(frame, false), MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 1, 5000);
    QCOMPARE(sim.camera->writtenFrames()[0].toHex(), padded60(wire.constData()).toHex());
    QCOMPARE(sim.channel.protocol().peekSequence(), uint16_t(skipped + 1));
}

void tst_MessageChannel::blockingRequestAnsweredAtOnce()
{
    ChannelRig sim;
    sim.camera->setReply(0x8010, QByteArray::fromHex("07030001"));
    QVERIFY(sim.open());
    for (int i = 0; i < 7; ++i)
        sim.channel.protocol().nextSequence();
    FrmPacket frame = versionRequest();
    QByteArray response;
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    QCOMPARE(response.toHex(), QByteArray("07030001"));
    QCOMPARE(sim.channel.queuedCount(), 0);
    QCOMPARE(sim.camera->writtenFrames(), QList<QByteArray>{padded60("AA000C120007438200E88010")});
}

void tst_MessageChannel::theCallersFrameIsNeverChanged()
{
    ChannelRig sim;
    QVERIFY(sim.open());
    for (int i = 0; i < 7; ++i)
        sim.channel.protocol().nextSequence();
    FrmPacket frame = versionRequest();
    const FrmPacket before = frame;
    QByteArray response;
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    QVERIFY(std::memcmp(before.bytes, frame.bytes, sizeof frame.bytes) == 0);
    const QList<QByteArray> expected = {padded60("AA000C120007438200E88010"),
                                        padded60("AA000C120008437D00E88010")};
    QCOMPARE(sim.camera->writtenFrames(), expected);
}

void tst_MessageChannel::answeredOnlyAfterTheResend()
{
    SimCameraModel model;
    model.knobs.replyToSecondCopyOnly = true;
    model.replies.insert(0x8010, QByteArray::fromHex("01020304"));
    ChannelRig sim(model);
    QVERIFY(sim.open());
    FrmPacket frame = versionRequest();
    QByteArray response;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    QVERIFY(timer.elapsed() >= fastTiming().replyWaitMs);
    QCOMPARE(response.toHex(), QByteArray("01020304"));
    const QList<QByteArray> frames = sim.camera->writtenFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0], frames[1]);  // the same bytes, the same sequence
}

void tst_MessageChannel::neverAnswered()
{
    SimCameraModel model;
    model.knobs.noReply = true;
    ChannelRig sim(model);
    QVERIFY(sim.open());
    FrmPacket frame = versionRequest();
    QByteArray response("untouched");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrNoReply);
    QVERIFY(timer.elapsed() >= 2 * fastTiming().replyWaitMs);
    QCOMPARE(response, QByteArray("untouched"));
    QCOMPARE(sim.channel.queuedCount(), 0);
    QCOMPARE(sim.camera->writtenFrames().size(), 2);
}

void tst_MessageChannel::replyResults_data()
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

void tst_MessageChannel::replyResults()
{
    QFETCH(int, resultCode);
    QFETCH(int, replyLength);
    QFETCH(int, expected);
    SimCameraModel model;
    model.knobs.resultCode = resultCode;
    model.knobs.replyFrameLength = replyLength;
    ChannelRig sim(model);
    QVERIFY(sim.open());
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("0102"));
    QByteArray response;
    QCOMPARE(int(sim.channel.sendMsgSync(frame, response)), expected);
    QCOMPARE(sim.camera->writtenFrames().size(), 1);  // answered, so never resent
    if (expected == 0)
        QCOMPARE(response, replyLength == 13 ? QByteArray() : QByteArray::fromHex("0102"));
}

void tst_MessageChannel::faultyRepliesAreDropped_data()
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

void tst_MessageChannel::faultyRepliesAreDropped()
{
    QFETCH(SimKnobs, knobs);
    QFETCH(QString, logLine);
    SimCameraModel model;
    model.knobs = knobs;
    UvcTiming timing = fastTiming();
    timing.replyWaitMs = 500;
    ChannelRig sim(model, timing);
    QVERIFY(sim.open());
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QByteArray response;
    LogCapture log;  // how many copies get answered in time depends on the machine's load
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrNoReply);
    QVERIFY(log.contains(logLine));
    QVERIFY(log.startsWith(QStringLiteral("Try to resend packet: seq = 0 , flag =")));
}

void tst_MessageChannel::shortFrameAfterLongOneIsZeroPadded()
{
    ChannelRig sim;
    QVERIFY(sim.open());
    FrmPacket longFrame = makeFrame(0x2001, 0xE2, QByteArray(48, '\x7f'));
    FrmPacket shortFrame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.channel.sendMsgAsync(longFrame, false), MessageChannel::ErrSuccess);
    QCOMPARE(sim.channel.sendMsgAsync(shortFrame, false), MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 2, 5000);
    // sequence 1, response not requested (flags 0x10)
    QCOMPARE(sim.camera->writtenFrames()[1].toHex(), padded60("AA000D100001D3C500E113D201").toHex());
}

void tst_MessageChannel::asyncSendsReadNothing()
{
    ChannelRig sim;
    QVERIFY(sim.open());
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.channel.sendMsgAsync(frame, true), MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 1, 5000);
    QCOMPARE(uint8_t(sim.camera->writtenFrames()[0].at(3)), uint8_t(0x12));
    QCOMPARE(sim.channel.queuedCount(), 0);
    QTest::qWait(30);
    QVERIFY(sim.requestsOn(2, UvcRequest::GetCur).isEmpty());
    QCOMPARE(sim.camera->pendingReplies(), 1);  // answered, never read
}

void tst_MessageChannel::directWriteFailure()
{
    ChannelRig sim;
    QVERIFY(sim.open());
    sim.camera->unplug();
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QTest::ignoreMessage(QtWarningMsg, "UVC_SET failed, expected len 60 != sended len -1, retry");
    QCOMPARE(sim.channel.sendMsgAsyncDirectly(frame), MessageChannel::ErrDirectWriteFailed);
}

void tst_MessageChannel::nonBlockingReplyReachesReceiverThread()
{
    ChannelRig sim;
    sim.camera->setReply(0x13C2, QByteArray::fromHex("01"));
    QVERIFY(sim.open());
    QThread receiverThread;
    receiverThread.start();
    Receiver receiver;
    receiver.moveToThread(&receiverThread);

    FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
    QCOMPARE(sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver),
             MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    QCOMPARE(receiver.value, 1);
    QCOMPARE(receiver.calledIn, &receiverThread);
    QCOMPARE(sim.channel.queuedCount(), 0);
    receiverThread.quit();
    QVERIFY(receiverThread.wait(5000));
}

void tst_MessageChannel::aiStatusReplyIsDecoded()
{
    ChannelRig sim;
    QByteArray data(38, '\0');
    data[30] = 1;
    data[31] = 2;
    data[32] = 3;  // 3 or more reads as 0
    data[37] = 2;
    const QByteArray ratio = QByteArray::fromHex("0000c03f");  // 1.5f
    data.replace(33, 4, ratio);
    sim.camera->setReply(0x3092, data);
    QVERIFY(sim.open());
    Receiver receiver;
    FrmPacket frame = makeFrame(0x3092, 0xE3, {});
    QCOMPARE(sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onAiStatus"), &receiver),
             MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    const QVariantList expected = {1, 2, 0, 2, 1.5f};
    QCOMPARE(receiver.aiStatus, expected);
}

void tst_MessageChannel::nonBlockingReplyToAGoneReceiver()
{
    SimCameraModel model;
    model.knobs.replyDelayMs = 30;
    model.replies.insert(0x13C2, QByteArray::fromHex("01"));
    ChannelRig sim(model);
    QVERIFY(sim.open());
    QThread receiverThread;
    receiverThread.start();
    const int requests = 20;
    QList<QPointer<Receiver>> receivers;
    for (int i = 0; i < requests; ++i) {
        auto* receiver = new Receiver;
        receivers << receiver;
        receiver->moveToThread(&receiverThread);
        FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
        sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), receiver);
        // Gone at different moments: before the reply, around its delivery.
        QTimer::singleShot(i, receiver, &QObject::deleteLater);
    }
    QTRY_COMPARE_WITH_TIMEOUT(sim.channel.queuedCount(), 0, 10000);
    QCOMPARE(sim.camera->writtenFrames().size(), requests);
    // All gone before the thread ends, or their deletions would never run.
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(receivers.cbegin(), receivers.cend(),
                                         [](const QPointer<Receiver>& r) { return r.isNull(); }),
                             10000);
    receiverThread.quit();
    QVERIFY(receiverThread.wait(5000));
}

void tst_MessageChannel::nonBlockingErrorAndTimeout()
{
    SimCameraModel model;
    model.knobs.resultCode = 1;
    ChannelRig sim(model);
    QVERIFY(sim.open());
    Receiver receiver;
    QTest::ignoreMessage(QtCriticalMsg, "Error response = 1 in cmd set Camera, cmd id SET_CAMERA_DEVSTATUS");
    FrmPacket frame = makeFrame(0x13C2, 0xE1, QByteArray::fromHex("03"));
    sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.channel.queuedCount(), 0, 5000);

    SimKnobs knobs;
    knobs.noReply = true;
    sim.camera->setKnobs(knobs);
    sim.camera->clearRequests();
    sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.channel.queuedCount(), 0, 5000);
    // Given up at its 50th scan: the pass after the write never reads for it.
    QCOMPARE(sim.requestsOn(2, UvcRequest::GetCur).size(), fastTiming().receiverScans - 2);

    // A reply too short to carry a result code reaches nobody.
    knobs = {};
    knobs.replyFrameLength = 12;
    sim.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtWarningMsg, "Reply without result code, cmd = 13c2");
    sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create("onDevStatus"), &receiver);
    QTRY_COMPARE_WITH_TIMEOUT(sim.channel.queuedCount(), 0, 5000);
    QCoreApplication::processEvents();
    QCOMPARE(receiver.calls.load(), 0);
}

void tst_MessageChannel::manySendersAtOnce()
{
    UvcTiming timing = fastTiming();
    timing.replyWaitMs = 1000;  // a crowded queue under a loaded machine still answers in time
    ChannelRig sim(SimCameraModel(), timing);
    QVERIFY(sim.open());
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
                if (sim.channel.sendMsgSync(frame, response) == MessageChannel::ErrSuccess && response == payload)
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
    QCOMPARE(sim.channel.queuedCount(), 0);
    QVERIFY(sim.camera->writtenFrames().size() >= threads * requests);
}

void tst_MessageChannel::realTiming()
{
    SimCameraModel model;
    model.knobs.replyToSecondCopyOnly = true;
    ChannelRig sim(model, UvcTiming());
    QVERIFY(sim.open());
    QElapsedTimer timer;
    timer.start();
    FrmPacket frame = versionRequest();
    QByteArray response;
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    const qint64 resent = timer.elapsed();
    QVERIFY2(resent >= 1000 && resent < 3000, QByteArray::number(resent));

    sim.camera->setKnobs(SimKnobs());
    timer.restart();
    QCOMPARE(sim.channel.sendMsgSync(frame, response), MessageChannel::ErrSuccess);
    const qint64 prompt = timer.elapsed();
    QVERIFY2(prompt >= 35 && prompt < 1000, QByteArray::number(prompt));  // two 20 ms passes at least
}

// One row per row of the decoder table: the reply's data as the camera
// sends it, and the arguments the receiver's method gets.
void tst_MessageChannel::decoderRows_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    // bytes 30, 31, 32 (3 and above read as 0), ratio 1.5f in 33-36, 37
    const QByteArray ai = QByteArray(30, '\0') + QByteArray::fromHex("01020300" "00c03f" "02");
    QTest::newRow("AI short status") << 0x3092 << ai << "onAiStatus"
                                     << QVariantList{1, 2, 0, 2, 1.5f};
    QTest::newRow("AI short status, signed tracking byte")
        << 0x3092 << QByteArray(30, '\0') + QByteArray::fromHex("0102800000c03f" "ff") << "onAiStatus"
        << QVariantList{1, 2, 0, 0, 1.5f};
    QTest::newRow("face focus") << 0x11D2 << QByteArray::fromHex("01") << "onDevStatus"
                                << QVariantList{1};
    QTest::newRow("device status, unsigned") << 0x13C2 << QByteArray::fromHex("fe") << "onDevStatus"
                                             << QVariantList{254};
}

void tst_MessageChannel::decoderRows()
{
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    QVERIFY(ReplyDecoders::find(uint16_t(command)));
    QCOMPARE(ReplyDecoders::dataNeeded(uint16_t(command)) <= data.size(), true);
    ChannelRig sim;
    sim.camera->setReply(uint16_t(command), data);
    QVERIFY(sim.open());
    Receiver receiver;
    FrmPacket frame = makeFrame(uint16_t(command), 0xE1, {});
    QCOMPARE(sim.channel.sendMsgSyncNonBlock(frame, QSharedPointer<QString>::create(method), &receiver),
             MessageChannel::ErrSuccess);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    QCOMPARE(receiver.arguments, arguments);
    QCOMPARE(sim.channel.queuedCount(), 0);
}

// A stop under blocking sends ends the device thread at once; each sender
// returns without a reply at the end of its own two waits.
void tst_MessageChannel::stopUnderBlockingSends()
{
    SimCameraModel model;
    model.knobs.noReply = true;
    UvcTiming timing = fastTiming();
    timing.replyWaitMs = 2000;  // each sender blocks 4 s: still waiting when the stop comes
    ChannelRig sim(model, timing);
    QVERIFY(sim.open());
    const int senders = 4;
    std::atomic<int> noReply{0};
    std::atomic<int> ended{0};
    QList<QThread*> threads;
    for (int t = 0; t < senders; ++t) {
        threads << QThread::create([&] {
            FrmPacket frame = versionRequest();
            QByteArray response;
            if (sim.channel.sendMsgSync(frame, response) == MessageChannel::ErrNoReply)
                ++noReply;
            ++ended;
        });
        threads.last()->start();
    }
    // Every sender's frame on the wire (a resend repeats a sequence, so the
    // frames alone do not tell).
    const auto sequencesWritten = [&] {
        QSet<QByteArray> sequences;
        for (const QByteArray& frame : sim.camera->writtenFrames())
            sequences.insert(frame.mid(4, 2));
        return sequences.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(sequencesWritten(), senders, 10000);
    QCOMPARE(ended.load(), 0);  // all blocked
    QElapsedTimer timer;
    timer.start();
    QVERIFY(sim.close());
    QVERIFY2(timer.elapsed() < 2000, QByteArray::number(timer.elapsed()));
    bool allEnded = true;
    for (QThread* thread : threads)
        allEnded = thread->wait(15000) && allEnded;
    QVERIFY2(allEnded, "a sender is stuck");
    qDeleteAll(threads);
    QVERIFY2(timer.elapsed() < 15000, QByteArray::number(timer.elapsed()));
    QCOMPARE(noReply.load(), senders);
    QCOMPARE(sim.channel.queuedCount(), 0);
}

// The hooks run around each pass, and the upgrade hook holds the queue: a
// frame queued once the hold is on stays queued, even by the pass that was
// under way when the hold came.
void tst_MessageChannel::passHooksRunEachPass()
{
    std::atomic<int> before{0};
    std::atomic<int> after{0};
    std::atomic<bool> holding{false};
    std::atomic<int> heldAnswers{0};
    std::atomic<bool> stopNextPass{false};
    QSemaphore stopped;
    QSemaphore goOn;
    MessageChannel::Hooks hooks;
    hooks.beforeRead = [&] {
        ++before;
        if (stopNextPass.exchange(false)) {
            stopped.release();
            goOn.acquire();
        }
    };
    hooks.afterWrite = [&] { ++after; };
    hooks.upgradeMode = [&] {
        const bool held = holding.load();
        heldAnswers += held ? 1 : 0;
        return held;
    };
    ChannelRig sim(SimCameraModel(), fastTiming(), hooks);
    auto release = qScopeGuard([&] { goOn.release(); });  // a failed check never leaves the thread stopped
    QVERIFY(sim.open());
    QTRY_VERIFY_WITH_TIMEOUT(before.load() >= 5 && after.load() >= 5, 5000);
    stopNextPass = true;
    QVERIFY(stopped.tryAcquire(1, 5000));
    holding = true;
    const int held = before.load();
    FrmPacket frame = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(sim.channel.sendMsgAsync(frame, false), MessageChannel::ErrSuccess);
    goOn.release();
    // The thread has seen the hold: the pass under way has ended or writes
    // nothing more, and no other starts.
    QTRY_VERIFY_WITH_TIMEOUT(heldAnswers.load() > 0, 5000);
    QTest::qWait(40);
    QCOMPARE(before.load(), held);
    QCOMPARE(sim.camera->writtenFrames().size(), 0);
    holding = false;
    QTRY_COMPARE_WITH_TIMEOUT(sim.camera->writtenFrames().size(), 1, 5000);
    QVERIFY(sim.close());
    QCOMPARE(before.load() - after.load() <= 1, true);
}

QTEST_GUILESS_MAIN(tst_MessageChannel)
#include "tst_messagechannel.moc"
