// The engine's file transfers against a simulated camera: record uploads
// (the bytes on the wire, resends, the error limit, the completion phase),
// stream downloads fed frame by frame into the slot from the engine object's
// thread while the receive loop runs on another (bad frames, gaps, the
// scaled time-out, an oversized file), and the shell upload's lines.

#include "support/EngineRig.h"
#include "support/TestHome.h"
#include "support/StreamPackets.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 20000;  // any single transfer ends well within this
constexpr uint32_t kPackLen = 0x40000;
const char kCamFile[] = "/app/updater/fw";

QByteArray padded60(const QByteArray& hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    return bytes + QByteArray(60 - bytes.size(), '\0');
}

QByteArray counting(int size, int from = 0)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(from + i);
    return data;
}

QByteArray u32le(uint32_t value)
{
    QByteArray bytes(4, '\0');
    stream::put32(bytes, 0, value);
    return bytes;
}

// Stream packet seq of content as the camera frames it: sequence, CRC-32
// of the packet with this field zero, data length, data.
QByteArray streamPacket(const QByteArray& content, uint32_t seq)
{
    const QByteArray data = content.mid(int((seq - 1) * kPackLen), int(kPackLen));
    QByteArray packet = u32le(seq) + u32le(0) + u32le(uint32_t(data.size())) + data;
    stream::put32(packet, 4, stream::crc32(packet));
    return packet;
}

// A packet whose fields are set as given, with a correct CRC.
QByteArray forgedPacket(uint32_t seq, uint32_t length, const QByteArray& data)
{
    QByteArray packet = u32le(seq) + u32le(0) + u32le(length) + data;
    stream::put32(packet, 4, stream::crc32(packet));
    return packet;
}

// One step of feeding a download: a frame, or waiting for the engine.
struct Feed
{
    enum Kind { Frame, WaitDone, WaitResend, Pause } kind = Frame;
    QByteArray frame;
    uint32_t value = 0;
};
using FeedList = QList<Feed>;

Feed frame(const QByteArray& bytes) { return {Feed::Frame, bytes, 0}; }
Feed waitDone(uint32_t seq) { return {Feed::WaitDone, {}, seq}; }
Feed waitResend(uint32_t from) { return {Feed::WaitResend, {}, from}; }
Feed pause(uint32_t ms) { return {Feed::Pause, {}, ms}; }

// Runs a download on a thread of its own while the caller, the engine
// object's thread, feeds it.
struct DownloadRun
{
    std::atomic<int> result{-1};
    std::thread worker;

    DownloadRun(EngineRig& rig, const QString& local, int expected, bool generate = false)
    {
        worker = std::thread([this, &rig, local, expected, generate] {
            result = rig.probe().download(kCamFile, local, expected, generate) ? 1 : 0;
        });
    }
    ~DownloadRun()
    {
        if (worker.joinable())
            worker.join();
    }
    // True when it ended within the bound (the thread is joined then).
    bool finish()
    {
        const bool ended = QTest::qWaitFor([this] { return result >= 0; }, kBoundMs);
        if (ended)
            worker.join();
        return ended;
    }
};

QList<QByteArray> resendRequests(EngineRig& rig)
{
    QList<QByteArray> found;
    for (const QByteArray& block : rig.attempts(4)) {
        if (block.at(0) == 3)
            found << block;
    }
    return found;
}

// The fed rows give the engine every frame themselves. The camera streams
// its file as well, and on a quiet machine its frames (queued to this
// thread) come first and end the download before the fed ones count.
// False when there was no listener to cut.
bool feedOnly(EngineRig& rig)
{
    // Every listener: the engine has its task listen, not itself.
    return QObject::disconnect(rig.device.data(), &UvcDevice::streamVideoData, nullptr, nullptr);
}

bool play(EngineRig& rig, const FeedList& feeds)
{
    UvcPatchUpgradeProbe probe = rig.probe();
    for (const Feed& feed : feeds) {
        switch (feed.kind) {
        case Feed::Frame: rig.engine->onStreamVideoData(feed.frame); break;
        case Feed::Pause: QThread::msleep(feed.value); break;
        case Feed::WaitDone:
            if (!QTest::qWaitFor([&] { return probe.downloadState().doneSeq >= feed.value; }, kBoundMs))
                return false;
            break;
        case Feed::WaitResend:
            if (!QTest::qWaitFor(
                    [&] {
                        const QList<QByteArray> asked = resendRequests(rig);
                        return !asked.isEmpty() && asked.last().mid(1, 4) == u32le(feed.value);
                    },
                    kBoundMs))
                return false;
            break;
        }
    }
    return true;
}

// The camera's download state block (selector 4) forced to these fields.
QByteArray downloadStateBlock(uint8_t state, uint32_t length, uint32_t packLen, const QByteArray& name)
{
    QByteArray block(60, '\0');
    block[0] = char(state);
    block.replace(5, 4, u32le(length));
    block.replace(13, 4, u32le(packLen));
    block.replace(17, name.size(), name);
    return block;
}

// The texts of the shell frames the camera got, in order.
QStringList shellTexts(const SimCamera& camera)
{
    QStringList texts;
    for (const QByteArray& block : camera.writtenFrames()) {
        const QByteArray text = block.mid(13);
        texts << QString::fromLatin1(text.left(text.indexOf('\0')));
    }
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(FeedList)
Q_DECLARE_METATYPE(SimStreamFaults)

class tst_UpgradeTransfer : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir dir_;

private slots:
    void initTestCase();
    void upload_data();
    void upload();
    void download_data();
    void download();
    void downloadRace();
    void streamedDownload_data();
    void streamedDownload();
    void shellUpload_data();
    void shellUpload();
};

void tst_UpgradeTransfer::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(dir_.isValid());
    qRegisterMetaType<FaultRule>();
}

void tst_UpgradeTransfer::upload_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<FaultRule>("rule");
    QTest::addColumn<QByteArray>("forcedUpState");  // selector 1 reply, empty: the camera's own
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("startRecord");
    QTest::addColumn<QStringList>("packets");  // every record the host tried, in order
    const QString p1of53 = "01000000c3f53400000102030405060708090a0b0c0d0e0f1011121314151617"
                           "18191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f30313233";
    const QString p2of53 = "02000000bc78010034";
    const QString p2of150 = "02000000721234003435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f50515253"
                            "5455565758595a5b5c5d5e5f6061626364656667";
    const QString p3of150 = "03000000e3ff2e0068696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f8081828384858687"
                            "88898a8b8c8d8e8f909192939495";
    const QString path = "2f6170702f757064617465722f6677";  // "/app/updater/fw"
    const FaultRule none;

    // A container the camera unpacks: "lzma", property 0x18, length 39, then
    // one stored LZMA2 chunk (control 01, size - 1 big-endian) and its end.
    const QByteArray container = QByteArray::fromHex("6c7a6d611827000000" "010026") + counting(39) + '\0';
    QTest::newRow("52 bytes go out as one packet, flagged compressed")
        << container << true << none << QByteArray() << true << "transfer check finished"
        << "0434000000" "3400" + path
        << QStringList{"0100000015553400" + QString::fromLatin1(container.toHex())};
    QTest::newRow("52 bytes uncompressed") << counting(52) << false << none << QByteArray() << true
        << "transfer check finished" << "0034000000" "3400" + path
        << QStringList{"01000000c3f53400" + QString::fromLatin1(counting(52).toHex())};
    QTest::newRow("53 bytes go out as 52 + 1") << counting(53) << false << none << QByteArray() << true
        << "transfer check finished" << "0035000000" "3400" + path << QStringList{p1of53, p2of53};
    QTest::newRow("a failed packet send is resent")
        << counting(53) << false
        << FaultRule([](uint8_t sel, int n) { return sel == 6 && n == 0 ? Fault::Fail : Fault::Pass; })
        << QByteArray() << true << "transfer check finished" << "0035000000" "3400" + path
        << QStringList{p1of53, p1of53, p2of53};
    QStringList twentyOne;
    for (int i = 0; i < 21; ++i)
        twentyOne << p1of53;
    QTest::newRow("the 21st error ends it")
        << counting(53) << false
        << FaultRule([](uint8_t sel, int) { return sel == 6 ? Fault::Fail : Fault::Pass; })
        << QByteArray() << false << "Too many data transmission errors" << "0035000000" "3400" + path
        << twentyOne;
    QTest::newRow("the completion phase resends what the camera lacks")
        << counting(150) << false
        << FaultRule([](uint8_t sel, int n) { return sel == 6 && n == 1 ? Fault::Swallow : Fault::Pass; })
        << QByteArray() << true << "need resend seq" << "0096000000" "3400" + path
        << QStringList{p1of53, p2of150, p3of150, p2of150, p3of150};
    QTest::newRow("an invalid state ends it")
        << counting(53) << false << none << padded60("05" "01000000" "35000000") << false
        << "invalid transfer state:" << "0035000000" "3400" + path << QStringList{p1of53, p2of53};
}

void tst_UpgradeTransfer::upload()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, compressed);
    QFETCH(FaultRule, rule);
    QFETCH(QByteArray, forcedUpState);
    QFETCH(bool, ok);
    QFETCH(QString, logged);
    QFETCH(QString, startRecord);
    QFETCH(QStringList, packets);

    EngineRig rig;
    QVERIFY(rig.ready());
    rig.backend.rule = rule;
    rig.camera->setExtensionReply(1, forcedUpState);
    const QString local = dir_.filePath("upload.bin");
    QVERIFY(writeFile(local, file));
    LogCapture log;
    QCOMPARE(rig.probe().upload(local, kCamFile, compressed), ok);
    QVERIFY2(log.mentions(logged), qPrintable(logged));

    QCOMPARE(rig.attempts(5), QList<QByteArray>{padded60("08")});  // the transfer state reset first
    QCOMPARE(rig.attempts(1), QList<QByteArray>{padded60(startRecord.toLatin1())});
    QList<QByteArray> expected;
    for (const QString& packet : packets)
        expected << padded60(packet.toLatin1());
    QCOMPARE(rig.attempts(6), expected);
    if (ok)
        QCOMPARE(rig.camera->upgradeService().uploaded(), file);
}

void tst_UpgradeTransfer::download_data()
{
    QTest::addColumn<QByteArray>("content");    // the camera's file
    QTest::addColumn<int>("expected");          // the length the engine asks for
    QTest::addColumn<QByteArray>("forcedState");
    QTest::addColumn<FeedList>("feeds");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("logged");
    // The engine's time-outs at this percentage: its own (100) where the
    // feeding waits for the engine's answers, 5 where the time-out is tested.
    QTest::addColumn<int>("timeoutPercent");

    const QByteArray two = counting(int(kPackLen) + 100, 7);
    const QByteArray p1 = streamPacket(two, 1);
    const QByteArray p2 = streamPacket(two, 2);
    const QByteArray none;
    QTest::newRow("good packets") << two << two.size() << none << FeedList{frame(p1), frame(p2)} << true
                                  << "download " << 100;
    // The repeat carries other bytes: taken, it would show in the file.
    QTest::newRow("a repeated sequence is dropped") << two << 0 << none
        << FeedList{frame(p1), waitDone(1), frame(forgedPacket(1, kPackLen, counting(int(kPackLen), 99))), frame(p2)}
        << true << "Repeated pack seq" << 100;
    QTest::newRow("sequence 0") << two << 0 << none
        << FeedList{frame(forgedPacket(0, 100, two.right(100))), frame(p1), frame(p2)} << true
        << "Invalid seq" << 100;
    QTest::newRow("sequence above the count") << two << 0 << none
        << FeedList{frame(forgedPacket(3, 100, two.right(100))), frame(p1), frame(p2)} << true
        << "Invalid seq" << 100;
    QTest::newRow("a short packet other than the last")
        << two << 0 << none << FeedList{frame(forgedPacket(1, 100, two.left(100))), frame(p1), frame(p2)}
        << true << "Invalid seq =" << 100;
    QTest::newRow("a frame longer than its length") << two << 0 << none
        << FeedList{frame(p2 + 'x'), frame(p1), frame(p2)} << true << "size " << 100;
    QByteArray badCrc = p1;
    badCrc[4] = char(badCrc[4] ^ 1);
    QTest::newRow("a wrong CRC") << two << 0 << none << FeedList{frame(badCrc), frame(p1), frame(p2)} << true
                                 << "Invalid crc:" << 100;
    QTest::newRow("a frame of header only") << two << 0 << none
        << FeedList{frame(p1.left(12)), frame(p1), frame(p2)} << true << "Received size is less than" << 100;

    const QByteArray three = counting(int(2 * kPackLen) + 3, 11);
    QTest::newRow("a gap is recovered by the resend request")
        << three << three.size() << none
        << FeedList{frame(streamPacket(three, 1)), frame(streamPacket(three, 3)), waitResend(2),
                    frame(streamPacket(three, 2))}
        << true << "Require restart" << 100;

    // Eight packets 250 ms apart cannot finish within the 1.5 s that the
    // scaled time-out leaves; they keep arriving until it strikes.
    const QByteArray eight = counting(int(8 * kPackLen), 3);
    FeedList slow;
    for (uint32_t seq = 1; seq <= 8; ++seq)
        slow << frame(streamPacket(eight, seq)) << pause(250);
    QTest::newRow("the scaled time-out with packets still arriving")
        << eight << 0 << none << slow << false << "Unexpected timeout" << 5;

    QTest::newRow("a file above the limit is refused")
        << two << 0 << downloadStateBlock(1, 0x10000001, kPackLen, kCamFile) << FeedList{} << false
        << "Invalid state file_len" << 100;
    QTest::newRow("a length other than the expected one")
        << two << two.size() + 1 << none << FeedList{} << false << "Invalid state file_len" << 100;
}

void tst_UpgradeTransfer::download()
{
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    QFETCH(QByteArray, forcedState);
    QFETCH(FeedList, feeds);
    QFETCH(bool, ok);
    QFETCH(QString, logged);
    QFETCH(int, timeoutPercent);

    SimCameraModel model = rigCamera();
    model.upgrade.files.insert(kCamFile, content);
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.probe().setTimeoutPercent(timeoutPercent);
    rig.camera->setExtensionReply(4, forcedState);
    QVERIFY(feedOnly(rig));
    QTemporaryDir folder(dir_.filePath("dl-XXXXXX"));
    const QString local = folder.filePath("devFw.bin");
    LogCapture log;
    UvcPatchUpgradeProbe probe = rig.probe();
    DownloadRun run(rig, local, expected);
    if (!feeds.isEmpty()) {
        QVERIFY(QTest::qWaitFor([&] { return probe.downloadState().state == 1; }, kBoundMs));
        QVERIFY(play(rig, feeds));
    }
    QVERIFY(run.finish());
    QCOMPARE(run.result == 1, ok);
    QVERIFY2(log.mentions(logged), qPrintable(logged));
    if (ok) {
        QCOMPARE(readFile(local), content);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"devFw.bin"});
    } else {
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
    QCOMPARE(probe.downloadState().state, 0);  // later frames find no transfer
}

// Frames land in the shared buffer from this thread (the engine object's)
// while the receive loop reads it on the download's thread. Each round
// counts the frames that went in after the loop had already moved its done
// sequence and before it had all of them: proof the two interleaved.
void tst_UpgradeTransfer::downloadRace()
{
    const int rounds = qEnvironmentVariableIsSet("ORLACAM_RACE_ROUNDS")
        ? qEnvironmentVariableIntValue("ORLACAM_RACE_ROUNDS") : 12;
    const uint32_t packets = 16;
    const QByteArray content = counting(int(packets * kPackLen) - 5, 1);
    QList<QByteArray> frames;
    for (uint32_t seq = 1; seq <= packets; ++seq)
        frames << streamPacket(content, seq);
    SimCameraModel model = rigCamera();
    model.upgrade.files.insert(kCamFile, content);
    EngineRig rig(model);
    QVERIFY(rig.ready());
    QVERIFY(feedOnly(rig));
    UvcPatchUpgradeProbe probe = rig.probe();
    std::unique_ptr<LogCapture> log(new LogCapture);  // quiet: shuffled rounds log their gaps
    QElapsedTimer clock;
    clock.start();
    int interleaved = 0;
    for (int round = 0; round < rounds; ++round) {
        QVERIFY2(clock.elapsed() < 4 * kBoundMs, "the rounds took too long");
        const QString local = dir_.filePath(QStringLiteral("race-%1.bin").arg(round));
        QList<QByteArray> order = frames;
        if (round % 2)  // every other round out of order, which brings resend requests too
            std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
        DownloadRun run(rig, local, content.size());
        QVERIFY(QTest::qWaitFor([&] { return probe.downloadState().state == 1; }, kBoundMs));
        bool overlapped = false;
        for (const QByteArray& packet : order) {
            const UvcPatchUpgradeProbe::Download seen = probe.downloadState();
            overlapped |= seen.doneSeq > 0 && seen.doneSeq < seen.packCount;
            rig.engine->onStreamVideoData(packet);
        }
        QVERIFY(run.finish());
        QCOMPARE(run.result.load(), 1);
        QCOMPARE(readFile(local), content);
        interleaved += overlapped ? 1 : 0;
    }
    log.reset();
    qInfo() << interleaved << "of" << rounds << "rounds interleaved frames with the receive loop";
    QVERIFY(interleaved > 0);
}

// The whole road: the simulated camera streams its file through the capture,
// the registry's camera object emits each frame, and the engine takes them
// queued on its own thread.
void tst_UpgradeTransfer::streamedDownload_data()
{
    QTest::addColumn<SimStreamFaults>("faults");
    QTest::addColumn<bool>("generate");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<int>("timeoutPercent");
    struct Row
    {
        const char* name;
        int SimStreamFaults::*fault;  // null: a clean stream
        int packet;
        bool generate;
        const char* logged;
        int timeoutPercent;
    };
    // The camera answers every resend request at once, so only the stalled
    // stream waits for the engine's clock: the others run at the engine's
    // own time-outs, far beyond what a loaded machine needs. The stalled one
    // waits for the forced resend (7.2 s at 40 %), and the last packet, the
    // only one still missing then, has 4.8 s to come before the time-out.
    const Row rows[] = {
        {"clean stream", nullptr, 0, false, "download ", 100},
        {"generated first", nullptr, 0, true, "download ", 100},
        {"a dropped packet is asked for again", &SimStreamFaults::dropPacket, 2, false, "Require restart", 100},
        {"packets out of order", &SimStreamFaults::swapPacket, 1, false, "download ", 100},
        {"a corrupt packet is asked for again", &SimStreamFaults::corruptCrcPacket, 3, false, "Invalid crc:", 100},
        {"a stalled stream resumes on the forced resend", &SimStreamFaults::gapAfterPacket, 3, false,
         "Require restart", 40},
        {"padded frames are cut to their packet", &SimStreamFaults::padBytes, 100, false, "download ", 100},
    };
    for (const Row& row : rows) {
        SimStreamFaults faults;
        if (row.fault)
            faults.*row.fault = row.packet;
        QTest::newRow(row.name) << faults << row.generate << QString(row.logged) << row.timeoutPercent;
    }
}

void tst_UpgradeTransfer::streamedDownload()
{
    QFETCH(SimStreamFaults, faults);
    QFETCH(bool, generate);
    QFETCH(QString, logged);
    QFETCH(int, timeoutPercent);
    const QByteArray content = stream::makeFile(4, 1000, 5);
    SimCameraModel model = rigCamera();
    model.upgrade.files.insert(kCamFile, content);
    model.stream.faults = faults;
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.probe().setTimeoutPercent(timeoutPercent);
    QTemporaryDir folder(dir_.filePath("st-XXXXXX"));
    const QString local = folder.filePath("devFw.bin");
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    DownloadRun run(rig, local, content.size(), generate);
    QVERIFY(run.finish());  // frames are delivered while this thread waits
    QCOMPARE(run.result.load(), 1);
    QVERIFY2(log.mentions(logged), qPrintable(logged));
    // One resend request a pass at most: passes of 2 ms at the rig's scale,
    // never a spin that floods the camera and starves its stream.
    const int resends = rig.camera->upgradeService().resendRequests();
    QVERIFY2(resends <= clock.elapsed() / 2 + 1, qPrintable(QString::number(resends)));
    QCOMPARE(readFile(local), content);
    QVERIFY(!rig.camera->simCapture().isStarted());  // the capture stopped with the transfer
}

void tst_UpgradeTransfer::shellUpload_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines");  // the script set-up, then the numbered line texts checked
    QTest::addColumn<int>("lineCount");
    const QStringList setUp = {R"(echo "echo -n \$1 > /log/\$2" > /log/r)", "chmod +x /log/r"};
    QTest::newRow("five bytes, one line")
        << QByteArray("hello") << (setUp + QStringList{"/log/r 68656c6c6f 1"}) << 1;
    // 99 lines of 18 bytes (1782), then 17 a line: 1800 bytes take 101 lines.
    QTest::newRow("1800 bytes cross 100 lines") << counting(1800)
        << (setUp + QStringList{"/log/r 000102030405060708090a0b0c0d0e0f1011 1",
                                "/log/r e4e5e6e7e8e9eaebecedeeeff0f1f2f3f4f5 99",
                                "/log/r f6f7f8f9fafbfcfdfeff00010203040506 100", "/log/r 07 101"})
        << 101;
}

void tst_UpgradeTransfer::shellUpload()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lines);
    QFETCH(int, lineCount);

    EngineRig rig(rigCamera(1));  // an old camera on its main system
    QVERIFY(rig.ready());
    const QString local = dir_.filePath("tool.lzma");
    QVERIFY(writeFile(local, file));
    QVERIFY(rig.probe().shellUpload(local, "/log/tf"));

    const QStringList texts = shellTexts(*rig.camera);
    QCOMPARE(texts.size(), 2 + lineCount + 6);
    QCOMPARE(texts.mid(0, 2), lines.mid(0, 2));
    for (const QString& line : lines.mid(2)) {
        const int n = line.section(' ', -1).toInt();
        QCOMPARE(texts.at(1 + n), line);
    }
    const QStringList join = {
        QStringLiteral(R"(echo -n "for i in \$(seq %1); do " > /log/m1)").arg(lineCount),
        R"(echo -n "cat \$i | while read -n 2 " > /log/m2)",
        R"(echo -n "j; do echo -en \"\\x\$j\"" > /log/m3)",
        R"(echo -n " >> /log/tf; done; done" > /log/m4)",
        "cd /log&&mv m1 m&&cat m2>>m&&cat m3>>m",
        "cd /log&&mv m n&&cat m4>>n&&rm m*&&/bin/sh n&",
    };
    QCOMPARE(texts.mid(2 + lineCount), join);
}

QTEST_GUILESS_MAIN(tst_UpgradeTransfer)
#include "tst_upgradetransfer.moc"
