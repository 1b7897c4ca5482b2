// Stream capture against simulated cameras. On the capture alone, with a
// receiver of the test's own: the format mask, frames cut to header and
// payload, occupancy, and closes that meet frames under way. Through the
// camera object: activation, the process's one capture, the simulated
// download stream with its faults, and the lifetime of a camera whose
// frames are still arriving when it is closed or freed.

#include "support/InitedCamera.h"
#include "support/StreamPackets.h"
#include "support/TestHome.h"

#include "uvc/StreamCapture.h"

#include <QtTest>

#include <atomic>
#include <memory>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimStreamFaults)

namespace {

const QByteArray kFwName("/app/updater/fw");
constexpr uint32_t kLocationA = 0x14100000;
constexpr uint32_t kLocationB = 0x14200000;
constexpr int kWaitMs = 5000;   // for what must come
constexpr int kQuietMs = 80;    // for what must not
const QString kUid = QStringLiteral("uid-under-test");

SimCameraModel streamModel(uint32_t location, const QByteArray& file = QByteArray())
{
    SimCameraModel model;
    model.systemType = 2;
    model.usb.locationId = location;
    model.usb.key = QStringLiteral("sim-%1").arg(location, 0, 16);
    model.upgrade.files.insert(kFwName, file);
    return model;
}

// A camera running its upgrade system behind an open camera object in
// upgrade mode, as the upgrade thread holds it. The log outlives the
// camera object, whose frames it receives on the capture's thread.
struct StreamCamera
{
    QSharedPointer<SimCamera> camera;
    FrameLog log;
    QSharedPointer<UvcDevice> device;

    StreamCamera(SimBackend& backend, const SimCameraModel& model)
    {
        camera = backend.plug(model);
        device = UvcDevice::create(backend.openDevice(model.usb.locationId),
                                   UvcDevice::DevModeUvcUpgrade);
        device->setTiming(quietTiming());
        device->open();
        log.attach(*device);
    }
    bool requestDownload(uint8_t command = 0)
    {
        return stream::send(*device, stream::request(command, 0, kFwName));
    }
    // Upgrade command 10: the stream to send files on (0 motion JPEG, 1 YUYV).
    bool tellStreamType(uint8_t type)
    {
        QByteArray record(60, '\0');
        record[0] = 10;
        record[1] = char(type);
        return device->ugUpCmd(reinterpret_cast<const uint8_t*>(record.constData()));
    }
    SimCapture& capture() { return camera->simCapture(); }
};

// A simulated camera's handle and a frame log as the capture's receiver,
// which it gives up before the log goes.
struct CaptureRig
{
    SimBackend backend;
    QSharedPointer<SimCamera> camera;
    QSharedPointer<CameraHandle> handle;
    FrameLog log;

    explicit CaptureRig(const SimCameraModel& model)
    {
        camera = backend.plug(model);
        handle = backend.openDevice(model.usb.locationId);
    }
    ~CaptureRig() { StreamCapture::get().close(&log); }
};

// Counts its frames and lingers in each, so that closes meet one under way.
struct SlowReceiver : StreamReceiver
{
    std::atomic<int> inFrame{0};
    std::atomic<int> frames{0};
    void onStreamVideoData(const uint8_t*, unsigned int) override
    {
        inFrame = 1;
        ++frames;
        QThread::usleep(200);
        inFrame = 0;
    }
};

// Spins rather than sleeps, so that the close comes while the stream runs.
bool firstFrameArrives(const std::atomic<int>& frames)
{
    QElapsedTimer wait;
    wait.start();
    while (frames == 0 && wait.elapsed() < kWaitMs)
        QThread::yieldCurrentThread();
    return frames > 0;
}

// "1 2! 3": sequence numbers in order, "!" for a bad CRC, "~" for a frame
// that is not exactly header and data.
QString describe(const QList<QByteArray>& frames)
{
    QStringList parts;
    for (const QByteArray& frame : frames) {
        const stream::Packet packet = stream::decode(frame);
        parts << QString::number(packet.seq) + (packet.crcOk ? "" : "!") + (packet.sizeOk ? "" : "~");
    }
    return parts.join(' ');
}

// Every packet with a good CRC carries its own slice of the file.
bool dataMatches(const QList<QByteArray>& frames, const QByteArray& file)
{
    for (const QByteArray& frame : frames) {
        const stream::Packet packet = stream::decode(frame);
        const QByteArray slice = file.mid(int((packet.seq - 1) * stream::kPacketSize),
                                          int(stream::kPacketSize));
        if (packet.crcOk && packet.data != slice)
            return false;
    }
    return true;
}

QByteArray rawFrame(uint32_t seq, uint32_t length, int total)
{
    QByteArray frame(total, 'p');
    stream::put32(frame, 0, seq);
    stream::put32(frame, 4, 0);
    stream::put32(frame, 8, length);
    return frame;
}

} // namespace

class tst_StreamCapture : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void formatMask_data();
    void formatMask();
    void slicing_data();
    void slicing();
    void occupancy_data();
    void occupancy();
    void activation_data();
    void activation();
    void oneCaptureAtATime();
    void deinitThenActivateOpensANewCapture();
    void closeMeetsFramesUnderWay_data();
    void closeMeetsFramesUnderWay();
    void simulatedStream_data();
    void simulatedStream();
    void lifetimeRace_data();
    void lifetimeRace();
};

void tst_StreamCapture::formatMask_data()
{
    QTest::addColumn<bool>("hasCapture");
    QTest::addColumn<int>("offers");  // bits into the candidates of formatMask()
    QTest::addColumn<uint>("mask");
    QTest::newRow("both") << true << 0x03 << 3u;
    QTest::newRow("MJPEG only") << true << 0x01 << 1u;
    QTest::newRow("YUYV only") << true << 0x02 << 2u;
    QTest::newRow("none") << true << 0x00 << 0u;
    QTest::newRow("other sizes and rates only") << true << 0x1C << 0u;
    QTest::newRow("all of them") << true << 0x1F << 3u;
    QTest::newRow("no capture") << false << 0x03 << 0u;
}

void tst_StreamCapture::formatMask()
{
    QFETCH(bool, hasCapture);
    QFETCH(int, offers);
    QFETCH(uint, mask);
    using Pixel = CaptureSession::PixelFormat;
    const CaptureSession::Format candidates[] = {
        {Pixel::Mjpeg, 1280, 720, 30}, {Pixel::Yuyv, 640, 360, 30}, {Pixel::Mjpeg, 1280, 720, 15},
        {Pixel::Yuyv, 1280, 720, 30}, {Pixel::Mjpeg, 640, 360, 30}};
    SimCameraModel model;
    model.stream.hasCapture = hasCapture;
    model.stream.formats.clear();
    for (int i = 0; i < 5; ++i) {
        if (offers & 1 << i)
            model.stream.formats << candidates[i];
    }
    CaptureRig rig(model);
    QCOMPARE(StreamCapture::captureFormats(rig.handle.data(), kUid), mask);
}

void tst_StreamCapture::slicing_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("delivered");  // leading bytes handed on, -1: dropped
    QTest::newRow("exact") << rawFrame(1, 5, 17) << 17;
    QTest::newRow("padded buffer cut to header and payload") << rawFrame(2, 5, 1024) << 17;
    QTest::newRow("whole YUYV frame around a full packet")
        << rawFrame(3, stream::kPacketSize, 640 * 360 * 2) << int(12 + stream::kPacketSize);
    QTest::newRow("shorter than announced") << rawFrame(4, 100, 50) << -1;
    QTest::newRow("one byte short") << rawFrame(5, 5, 16) << -1;
    QTest::newRow("header only") << rawFrame(6, 0, 12) << -1;
    QTest::newRow("less than a header") << QByteArray(5, 'x') << -1;
    // 12 + length wraps to 4 in 32 bits.
    QTest::newRow("length near 4 GiB") << rawFrame(7, 0xFFFFFFF8u, 40) << -1;
}

void tst_StreamCapture::slicing()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, delivered);
    CaptureRig rig(streamModel(kLocationA));
    QVERIFY(StreamCapture::get().activate(&rig.log, rig.handle, kUid, false));
    if (delivered < 0)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Stream frame dropped:"));
    const QByteArray marker = rawFrame(0xABCD, 1, 13);
    rig.camera->simCapture().queueRawFrame(frame);
    rig.camera->simCapture().queueRawFrame(marker);  // everything before it has been handled once it is here

    QList<QByteArray> expected;
    if (delivered >= 0)
        expected << frame.left(delivered);
    expected << marker;
    QVERIFY(rig.log.waitFor(expected.size(), kWaitMs));
    QCOMPARE(rig.log.frames(), expected);
}

void tst_StreamCapture::occupancy_data()
{
    QTest::addColumn<bool>("hasCapture");
    QTest::addColumn<int>("heldChecks");
    QTest::addColumn<QString>("answers");  // one per check, "t" occupied
    QTest::newRow("free") << true << 0 << "f f f";
    QTest::newRow("held") << true << -1 << "t t t";
    QTest::newRow("held for the first two checks") << true << 2 << "t t f f";
    QTest::newRow("no capture") << false << 0 << "t t";
}

void tst_StreamCapture::occupancy()
{
    QFETCH(bool, hasCapture);
    QFETCH(int, heldChecks);
    QFETCH(QString, answers);
    SimCameraModel model;
    model.stream.hasCapture = hasCapture;
    model.stream.faults.heldChecks = heldChecks;
    CaptureRig rig(model);
    QStringList got;
    for (int i = 0; i < answers.split(' ').size(); ++i)
        got << (StreamCapture::streamIsOccupied(rig.handle.data(), kUid) ? "t" : "f");
    QCOMPARE(got.join(' '), answers);
}

void tst_StreamCapture::activation_data()
{
    QTest::addColumn<bool>("hasCapture");
    QTest::addColumn<bool>("offersFormats");
    QTest::addColumn<int>("heldChecks");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("critical");
    QTest::newRow("no matching format: success, and nothing arrives") << true << false << 0 << true
        << QStringList{"format is nullptr", "init_manual failed"};
    QTest::newRow("held by another program: the start fails") << true << true << -1 << false
        << QStringList{"init_device_input failed", "Capture start failed: the stream did not open"};
    QTest::newRow("no capture") << false << true << 0 << false
        << QStringList{"No capture device with uid 0x141000002ca30201"};
}

void tst_StreamCapture::activation()
{
    QFETCH(bool, hasCapture);
    QFETCH(bool, offersFormats);
    QFETCH(int, heldChecks);
    QFETCH(bool, result);
    QFETCH(QStringList, critical);
    SimCameraModel model = streamModel(kLocationA, stream::makeFile(2, 0, 'a'));
    model.stream.hasCapture = hasCapture;
    model.stream.faults.heldChecks = heldChecks;
    if (!offersFormats)
        model.stream.formats.clear();
    SimBackend backend;
    StreamCamera cam(backend, model);
    QVERIFY(cam.requestDownload());
    for (const QString& line : critical)
        QTest::ignoreMessage(QtCriticalMsg, line.toUtf8().constData());
    QCOMPARE(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg), result);
    QTest::qWait(kQuietMs);
    QCOMPARE(cam.log.count(), 0);
    QVERIFY(!cam.capture().isStarted());
}

void tst_StreamCapture::oneCaptureAtATime()
{
    const QByteArray fileA = stream::makeFile(8, 0, 'A');
    const QByteArray fileB = stream::makeFile(8, 0, 'B');
    SimBackend backend;
    SimCameraModel modelA = streamModel(kLocationA, fileA);
    SimCameraModel modelB = streamModel(kLocationB, fileB);
    modelA.stream.faults.frameDelayMs = modelB.stream.faults.frameDelayMs = 5;
    StreamCamera a(backend, modelA);
    StreamCamera b(backend, modelB);
    QVERIFY(a.requestDownload());
    QVERIFY(b.tellStreamType(1));
    QVERIFY(b.requestDownload());

    QVERIFY(a.device->streamActivate(UvcDevice::ImageFormatMjpeg));
    QVERIFY(a.log.waitFor(1, kWaitMs));
    QVERIFY(b.device->streamActivate(UvcDevice::ImageFormatYuyv));
    const int fromA = a.log.count();
    QVERIFY(!a.capture().isOpen());
    QVERIFY2(fromA < 8, "camera A's stream had ended before B took over");

    QVERIFY(b.log.waitFor(3, kWaitMs));
    QTest::qWait(kQuietMs);
    QCOMPARE(a.log.count(), fromA);
    const QList<QByteArray> framesB = b.log.frames();
    QCOMPARE(describe(framesB.mid(0, 3)), QString("1 2 3"));
    QVERIFY(dataMatches(framesB, fileB));
    // A stopping or closing now leaves B's capture alone.
    a.device->streamDeactivate();
    a.device->deinitAvCapture();
    QVERIFY(b.capture().isStarted());
}

void tst_StreamCapture::deinitThenActivateOpensANewCapture()
{
    SimBackend backend;
    SimCameraModel model = streamModel(kLocationA, stream::makeFile(3, 100, 'd'));
    StreamCamera cam(backend, model);
    QVERIFY(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg));
    QCOMPARE(cam.capture().opens(), 1);
    cam.device->streamDeactivate();
    QVERIFY(!cam.capture().isStarted());
    QVERIFY(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg));  // started again, not reopened
    QCOMPARE(cam.capture().opens(), 1);
    QVERIFY(cam.capture().isStarted());

    cam.device->deinitAvCapture();
    QVERIFY(!cam.capture().isOpen());
    QVERIFY(cam.requestDownload());
    QTest::qWait(kQuietMs);
    QCOMPARE(cam.log.count(), 0);
    QVERIFY(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg));
    QCOMPARE(cam.capture().opens(), 2);
    QVERIFY(cam.log.waitFor(3, kWaitMs));
    QCOMPARE(describe(cam.log.frames()), QString("1 2 3"));
}

void tst_StreamCapture::closeMeetsFramesUnderWay_data()
{
    QTest::addColumn<bool>("takenOver");
    QTest::newRow("the owner closes") << false;
    QTest::newRow("another receiver opens") << true;
}

// Each round starts a stream of eight frames, closes (or takes over) the
// capture as soon as one arrives and frees the receiver: a frame after the
// close, counted or reaching a freed receiver (ASan), is the fault.
void tst_StreamCapture::closeMeetsFramesUnderWay()
{
    QFETCH(bool, takenOver);
    constexpr int kRounds = 300;
    constexpr qint64 kBoundMs = 120000;
    CaptureRig rig(streamModel(kLocationA));
    CaptureRig other(streamModel(kLocationB));
    StreamCapture& capture = StreamCapture::get();
    int midFrame = 0;
    int rounds = 0;
    QLoggingCategory::setFilterRules("default.debug=false");
    QElapsedTimer timer;
    timer.start();
    for (; rounds < kRounds && timer.elapsed() < kBoundMs; ++rounds) {
        auto receiver = std::make_unique<SlowReceiver>();  // freed at the round's end
        auto release = qScopeGuard([&] { capture.close(receiver.get()); });  // also when a check fails
        for (uint32_t seq = 1; seq <= 8; ++seq)
            rig.camera->simCapture().queueRawFrame(rawFrame(seq, 1, 13));
        QVERIFY(capture.activate(receiver.get(), rig.handle, kUid, false));
        QVERIFY(firstFrameArrives(receiver->frames));

        midFrame += receiver->inFrame.load();
        if (takenOver)
            QVERIFY(capture.open(&other.log, other.handle, kUid, false));
        else
            capture.close(receiver.get());
        QVERIFY(!capture.isOwner(receiver.get()));
        QCOMPARE(receiver->inFrame.load(), 0);  // the close waited for the frame under way
        const int afterClose = receiver->frames;
        QThread::usleep(300);
        QCOMPARE(receiver->frames.load(), afterClose);
    }
    QLoggingCategory::setFilterRules(QString());
    qInfo() << rounds << "rounds," << midFrame << "closes met a frame under way";
    QCOMPARE(rounds, kRounds);
    QVERIFY(midFrame > 0);
}

void tst_StreamCapture::simulatedStream_data()
{
    QTest::addColumn<SimStreamFaults>("faults");
    QTest::addColumn<bool>("generate");
    QTest::addColumn<QString>("frames");
    QTest::addColumn<int>("resendFrom");  // 0: no resend
    QTest::addColumn<QString>("afterResend");
    QTest::addColumn<int>("minMs");
    auto faults = [](auto set) {
        SimStreamFaults f;
        set(f);
        return f;
    };
    const SimStreamFaults none;
    QTest::newRow("in order") << none << false << "1 2 3 4" << 0 << "" << 0;
    QTest::newRow("generated file") << none << true << "1 2 3 4" << 0 << "" << 0;
    QTest::newRow("resend streams again from the packet")
        << none << false << "1 2 3 4" << 2 << "2 3 4" << 0;
    QTest::newRow("dropped once") << faults([](SimStreamFaults& f) { f.dropPacket = 2; }) << false
        << "1 3 4" << 2 << "2 3 4" << 0;
    QTest::newRow("reordered") << faults([](SimStreamFaults& f) { f.swapPacket = 2; }) << false
        << "1 3 2 4" << 0 << "" << 0;
    QTest::newRow("corrupt CRC once") << faults([](SimStreamFaults& f) { f.corruptCrcPacket = 3; })
        << false << "1 2 3! 4" << 3 << "3 4" << 0;
    QTest::newRow("gap until a resend") << faults([](SimStreamFaults& f) { f.gapAfterPacket = 2; })
        << false << "1 2" << 3 << "3 4" << 0;
    QTest::newRow("padded frames are cut") << faults([](SimStreamFaults& f) { f.padBytes = 4096; })
        << false << "1 2 3 4" << 0 << "" << 0;
    QTest::newRow("delayed frames") << faults([](SimStreamFaults& f) { f.frameDelayMs = 40; })
        << false << "1 2 3 4" << 0 << "" << 120;
}

void tst_StreamCapture::simulatedStream()
{
    QFETCH(SimStreamFaults, faults);
    QFETCH(bool, generate);
    QFETCH(QString, frames);
    QFETCH(int, resendFrom);
    QFETCH(QString, afterResend);
    QFETCH(int, minMs);
    const QByteArray file = stream::makeFile(4, 1000, 's');
    SimCameraModel model = streamModel(kLocationA, file);
    model.stream.faults = faults;
    SimBackend backend;
    StreamCamera cam(backend, model);
    // Received as the upgrade engine receives them: queued to this thread.
    QList<QByteArray> got;
    QSet<QThread*> threads;
    QObject receiver;
    connect(cam.device.data(), &UvcDevice::streamVideoData, &receiver, [&](const QByteArray& frame) {
        got << frame;
        threads << QThread::currentThread();
    });

    QVERIFY(cam.requestDownload(generate ? 5 : 0));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg));
    UpgradeFileDownloadState state;
    if (generate) {  // nothing streams while the camera still generates the file
        QTest::qWait(kQuietMs);
        QCOMPARE(got.size(), 0);
        for (int read = 0; read < 5 && state.state != 1; ++read)
            QVERIFY(cam.device->fileDownloadStateGet(&state));
        QCOMPARE(int(state.state), 1);
    }
    const int expected = frames.split(' ').size();
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), expected, kWaitMs);
    QVERIFY2(timer.elapsed() >= minMs, qPrintable(QString::number(timer.elapsed())));
    QTest::qWait(kQuietMs);
    QCOMPARE(describe(got), frames);
    QVERIFY(dataMatches(got, file));
    QCOMPARE(threads, QSet<QThread*>{QThread::currentThread()});

    if (resendFrom > 0) {
        got.clear();
        QVERIFY(stream::send(*cam.device, stream::request(3, uint32_t(resendFrom))));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), afterResend.split(' ').size(), kWaitMs);
        QTest::qWait(kQuietMs);
        QCOMPARE(describe(got), afterResend);
        QVERIFY(dataMatches(got, file));
    }
    QVERIFY(stream::send(*cam.device, stream::request(2)));
    QVERIFY(cam.device->fileDownloadStateGet(&state));
    QCOMPARE(int(state.state), 2);
    got.clear();
    QVERIFY(stream::send(*cam.device, stream::request(3, 1)));  // finished: no stream any more
    QTest::qWait(kQuietMs);
    QCOMPARE(got.size(), 0);
}

void tst_StreamCapture::lifetimeRace_data()
{
    QTest::addColumn<int>("closer");
    QTest::newRow("camera freed") << 0;
    QTest::newRow("capture released") << 1;
    QTest::newRow("another camera opens its capture") << 2;
}

// Each round closes a camera's capture as soon as its frames flow, while
// the capture thread is in the middle of a stream of eight packets. A frame
// that reached the camera after its close, or a freed one, is the fault;
// the counts show that closes did meet frames under way.
void tst_StreamCapture::lifetimeRace()
{
    QFETCH(int, closer);
    constexpr int kRounds = 200;
    constexpr qint64 kBoundMs = 120000;
    const QByteArray file = stream::makeFile(8, 0, 'r');
    int midDelivery = 0;
    int midStream = 0;
    int frames = 0;
    int rounds = 0;
    QLoggingCategory::setFilterRules("default.debug=false");  // a few lines a round, 200 rounds
    QElapsedTimer timer;
    timer.start();
    for (; rounds < kRounds && timer.elapsed() < kBoundMs; ++rounds) {
        SimBackend backend;
        SlowReceiver slot;  // behind the camera's signal
        StreamCamera cam(backend, streamModel(kLocationA, file));
        connect(cam.device.data(), &UvcDevice::streamVideoData, &cam.log,
                [&slot](const QByteArray&) { slot.onStreamVideoData(nullptr, 0); },
                Qt::DirectConnection);
        QVERIFY(cam.requestDownload());
        QVERIFY(cam.device->streamActivate(UvcDevice::ImageFormatMjpeg));
        QVERIFY(firstFrameArrives(slot.frames));

        midDelivery += slot.inFrame.load();
        if (closer == 0) {
            cam.device.reset();
        } else if (closer == 1) {
            cam.device->deinitAvCapture();
        } else {
            QSharedPointer<SimCamera> other = backend.plug(streamModel(kLocationB));
            auto second = UvcDevice::create(backend.openDevice(kLocationB), UvcDevice::DevModeUvcUpgrade);
            QVERIFY(second->initAvCapture(UvcDevice::ImageFormatMjpeg));
        }
        QCOMPARE(slot.inFrame.load(), 0);  // the close waited for the frame under way
        QVERIFY(!cam.capture().isStarted());
        const int afterClose = slot.frames;
        midStream += afterClose < 8 ? 1 : 0;
        QThread::usleep(300);
        QCOMPARE(slot.frames.load(), afterClose);
        frames += afterClose;
    }
    QLoggingCategory::setFilterRules(QString());
    qInfo() << rounds << "rounds," << frames << "frames," << midDelivery
            << "closes met a frame under way," << midStream << "met an unfinished stream";
    QCOMPARE(rounds, kRounds);
    QVERIFY(midDelivery > 0);
    QVERIFY(midStream > 0);
}

QTEST_GUILESS_MAIN(tst_StreamCapture)
#include "tst_streamcapture.moc"
