// Picture transfers against a simulated camera: the records on the wire,
// downloads and uploads through lost, reordered and damaged records, the
// device thread's queue of kinds, and the mended faults (sizes, writes,
// settling, wall-clock time-outs, closing mid-transfer, a missing file).

#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include "comm/UpgradeCodes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QtTest>

#include <functional>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimPictures::Faults)

namespace {

const QByteArray kMask0("/app/private/mask0.jpg");
const QByteArray kMask1("/app/private/mask1.jpg");
const QByteArray kMask2("/app/private/mask2.jpg");

UvcTiming pictureTiming()
{
    UvcTiming timing = quietTiming();
    timing.fullPictureWaitMs = 1;
    timing.pictureBatchPauseMs = 1;
    timing.uploadCheckPeriodMs = 2;
    timing.uploadResendAfterMs = 20;
    return timing;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// What the camera object signalled, from whichever thread.
struct Signals
{
    QMutex mutex;
    QList<QPair<unsigned, int>> downloads;
    QList<int> progress;

    QMetaObject::Connection done;
    QMetaObject::Connection progressed;

    explicit Signals(UvcDevice& device)
    {
        done = QObject::connect(&device, &UvcDevice::fileDownloadDone, &device,
                         [this](unsigned kind, int result) {
                             QMutexLocker lock(&mutex);
                             downloads << qMakePair(kind, result);
                         }, Qt::DirectConnection);
        progressed = QObject::connect(&device, &UvcDevice::fileUploadProgress, &device,
                         [this](int value) {
                             QMutexLocker lock(&mutex);
                             progress << value;
                         }, Qt::DirectConnection);
    }
    ~Signals()
    {
        QObject::disconnect(done);
        QObject::disconnect(progressed);
    }
    int downloadCount()
    {
        QMutexLocker lock(&mutex);
        return downloads.size();
    }
    QList<QPair<unsigned, int>> takenDownloads()
    {
        QMutexLocker lock(&mutex);
        return downloads;
    }
    QList<int> takenProgress()
    {
        QMutexLocker lock(&mutex);
        return progress;
    }
};

bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(2);
    }
    return true;
}

} // namespace

class tst_UvcPictures : public QObject
{
    Q_OBJECT
    TestHome home_;
    QString dir_;

    struct Camera : InitedCamera
    {
        explicit Camera(const SimCameraModel& model = SimCameraModel()) : InitedCamera(model)
        {
            device->setTiming(pictureTiming());
        }
        QList<QByteArray> setOn(uint8_t selector) const
        {
            QList<QByteArray> blocks;
            for (const auto& record : requestsOn(selector, UvcRequest::SetCur))
                blocks << record.data;
            return blocks;
        }
    };

private slots:
    void initTestCase() { dir_ = home_.path(); }

    void requestKinds_data();
    void requestKinds();
    void downloadRecords_data();
    void downloadRecords();
    void uploadRecords();
    void downloadFaults_data();
    void downloadFaults();
    void uploadFaults_data();
    void uploadFaults();
    void deviceThreadServesKinds();
    void failedThumbnailIsAskedAgain();
    void switchesSurviveTransfers();
    void timeOutIsWallClock();
    void closeMidTransferReturnsPromptly_data();
    void closeMidTransferReturnsPromptly();
};

void tst_UvcPictures::requestKinds_data()
{
    QTest::addColumn<unsigned>("kind");
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("upload");
    for (unsigned kind : {1u, 2u, 4u, 8u, 16u, 32u})
        QTest::newRow(qPrintable(QStringLiteral("download %1").arg(kind))) << kind << true << false;
    for (unsigned kind : {64u, 128u, 256u})
        QTest::newRow(qPrintable(QStringLiteral("upload %1").arg(kind))) << kind << false << true;
    QTest::newRow("two bits at once") << 3u << false << false;
    QTest::newRow("none") << 0u << false << false;
    QTest::newRow("beyond the table") << 512u << false << false;
}

void tst_UvcPictures::requestKinds()
{
    QFETCH(unsigned, kind);
    QFETCH(bool, download);
    QFETCH(bool, upload);
    SimFixture idle;  // never opened: nothing runs the bits
    UvcDevice& device = *idle.device;
    QCOMPARE(device.startFileDownloadAsync(UvcDevice::ImageTransType(kind)), download);
    QCOMPARE(device.startFileUploadAsync(UvcDevice::ImageTransType(kind)), upload);
    QCOMPARE(device.pendingTransfers(), download || upload ? kind : 0u);
}

void tst_UvcPictures::downloadRecords_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("thumbnail");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("thumbnail 64x36 quality 90") << kMask0 << true
        << padded60("00" "4000" "2400" "5a00" "2f6170702f707269766174652f6d61736b302e6a7067");
    QTest::newRow("full 1536x864 quality 0") << kMask1 << false
        << padded60("00" "0006" "6003" "0000" "2f6170702f707269766174652f6d61736b312e6a7067");
}

void tst_UvcPictures::downloadRecords()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, thumbnail);
    QFETCH(QByteArray, request);
    Camera camera;
    QVERIFY(camera.inited);
    camera.device->setTiming(quietTiming());  // the picture waits as shipped
    camera.camera->setPicture(file, "abc");
    const QString local = dir_ + "/records.jpg";
    QFile::remove(local);
    QCOMPARE(camera.device->fileDownloadByUvc(local, QString::fromLatin1(file), thumbnail), 0);
    QCOMPARE(readFile(local), QByteArray("abc"));
    const QByteArray control = padded60("01");
    QCOMPARE(camera.setOn(4), (QList<QByteArray>{control, request, control}));
    const auto replies = camera.requestsOn(4, UvcRequest::GetCur);
    QCOMPARE(replies.size(), 2);
    // Information: present, size 3, CRC-32 of "abc"; data: sequence 1, CRC-16, 3 bytes.
    QCOMPARE(replies[0].data.left(16), QByteArray::fromHex("0101" "00000100" "03000000" "3300" "c2412435"));
    QCOMPARE(replies[1].data, padded60("02010000001a510300616263"));
}

void tst_UvcPictures::uploadRecords()
{
    Camera camera;
    camera.device->setTiming(quietTiming());  // the picture waits as shipped
    Signals seen(*camera.device);
    const QString local = dir_ + "/upload102.jpg";
    QByteArray bytes(102, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i);
    QVERIFY(writeFile(local, bytes));
    QVERIFY(camera.device->fileUploadByUvc(local, QString::fromLatin1(kMask2)));
    QCOMPARE(camera.camera->pictures().picture(kMask2), bytes);
    const QList<QByteArray> blocks = camera.setOn(3);
    QCOMPARE(blocks.size(), 5);
    QCOMPARE(blocks[0], padded60("01"));
    QCOMPARE(blocks[1], padded60("00" "66000000" "3300" "2f6170702f707269766174652f6d61736b322e6a7067"));
    QCOMPARE(blocks[2], padded60("0401000000197b3300000102030405060708090a0b0c0d0e0f101112131415161718191a"
                                 "1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132"));
    QCOMPARE(blocks[3], padded60("0402000000f5b73300333435363738393a3b3c3d3e3f404142434445464748494a4b4c"
                                 "4d4e4f505152535455565758595a5b5c5d5e5f606162636465"));
    QCOMPARE(blocks[4], padded60("01"));
    QCOMPARE(seen.takenProgress(), (QList<int>{10, 20, kErrCodeSuccess}));
}

void tst_UvcPictures::downloadFaults_data()
{
    QTest::addColumn<int>("size");  // -1: the camera has no such picture
    QTest::addColumn<SimPictures::Faults>("faults");
    QTest::addColumn<bool>("blockedFolder");
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<uint32_t>>("resends");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("logLine");
    const int info = QtInfoMsg;
    const int critical = QtCriticalMsg;

    SimPictures::Faults none;
    SimPictures::Faults drop;
    drop.dropReply = 5;
    SimPictures::Faults reorder;
    reorder.reorderReply = 3;
    SimPictures::Faults badCrc;
    badCrc.badCrcReply = 4;
    SimPictures::Faults wrongSum;
    wrongSum.wrongInfoCrc = true;
    SimPictures::Faults sixShort;
    sixShort.shortReplies = 6;
    SimPictures::Faults sevenShort;
    sevenShort.shortReplies = 7;
    QTest::newRow("six short replies are borne") << 600 << sixShort << false << 0
        << QList<uint32_t>{} << critical << "VESK_UVC_XU_CTRL_FILE_DOWNLOAD failed";
    QTest::newRow("the seventh short reply fails") << 600 << sevenShort << false << 254
        << QList<uint32_t>{} << critical << "Too many data transmission errors";
    QTest::newRow("dropped reply is asked again") << 600 << drop << false << 0
        << QList<uint32_t>{5} << info << "Seq error, require to resend seq 5 6";
    QTest::newRow("out-of-order reply is asked again") << 600 << reorder << false << 0
        << QList<uint32_t>{3} << info << "Seq error, require to resend seq 3 4";
    QTest::newRow("CRC-16 error fails") << 600 << badCrc << false << 254 << QList<uint32_t>{}
        << critical << "crc error:";
    QTest::newRow("missing picture") << -1 << none << false << 255 << QList<uint32_t>{}
        << info << "Image state error or image does not exist 0";
    QTest::newRow("size 0 refused") << 0 << none << false << 254 << QList<uint32_t>{}
        << critical << "File size is invalid: 0";
    QTest::newRow("size 512 KiB refused") << 0x80000 << none << false << 254 << QList<uint32_t>{}
        << critical << "File size is too large: 524288";
    QTest::newRow("failed write fails") << 600 << none << true << 254 << QList<uint32_t>{}
        << critical << "Failed to write picture";
    QTest::newRow("whole-picture CRC-32 checked") << 600 << wrongSum << false << 254
        << QList<uint32_t>{} << critical << "Picture checksum mismatch:";
}

void tst_UvcPictures::downloadFaults()
{
    QFETCH(int, size);
    QFETCH(SimPictures::Faults, faults);
    QFETCH(bool, blockedFolder);
    QFETCH(int, result);
    QFETCH(QList<uint32_t>, resends);
    QFETCH(int, level);
    QFETCH(QString, logLine);
    Camera camera;
    if (size >= 0)
        camera.camera->setPicture(kMask0, pattern(size));
    camera.camera->setPictureFaults(faults);
    QString local = dir_ + "/fault.jpg";
    QFile::remove(local);
    if (blockedFolder) {  // a regular file where the picture's folder should be
        QVERIFY(writeFile(dir_ + "/blocker", "x"));
        local = dir_ + "/blocker/fault.jpg";
    }
    QTest::ignoreMessage(QtMsgType(level), QRegularExpression("^\\Q" + logLine + "\\E"));
    QCOMPARE(camera.device->fileDownloadByUvc(local, QString::fromLatin1(kMask0), false), result);
    QCOMPARE(camera.camera->pictures().resendRequests(), resends);
    QCOMPARE(QFile::exists(local), result == 0);
    if (result == 0)
        QCOMPARE(readFile(local), pattern(size));
    QCOMPARE(camera.setOn(4).last(), padded60("01"));  // every ending closes the transfer
}

void tst_UvcPictures::uploadFaults_data()
{
    QTest::addColumn<int>("size");  // -1: no local file; -2: a folder in its place
    QTest::addColumn<SimPictures::Faults>("faults");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("setsOnWire");  // -1: not counted
    QTest::addColumn<bool>("setsFail");

    SimPictures::Faults none;
    SimPictures::Faults drop;
    drop.dropRecord = 7;
    SimPictures::Faults damaged;
    damaged.badCrcRecord = 2;
    QTest::newRow("lost record is written again") << 2000 << drop << true << -1 << false;
    QTest::newRow("damaged record is written again") << 2000 << damaged << true << -1 << false;
    QTest::newRow("spans a state read") << 1000 * 51 + 10 << none << true << -1 << false;
    QTest::newRow("missing local file") << -1 << none << false << 0 << false;
    QTest::newRow("unreadable local file") << -2 << none << false << 0 << false;
    QTest::newRow("size 0 refused") << 0 << none << false << 0 << false;
    QTest::newRow("size 512 KiB refused") << 0x80000 << none << false << 0 << false;
    QTest::newRow("camera refuses the records") << 100 << none << false << -1 << true;
}

void tst_UvcPictures::uploadFaults()
{
    QFETCH(int, size);
    QFETCH(SimPictures::Faults, faults);
    QFETCH(bool, result);
    QFETCH(int, setsOnWire);
    QFETCH(bool, setsFail);
    Camera camera;
    Signals seen(*camera.device);
    camera.camera->setPictureFaults(faults);
    SimKnobs knobs = camera.camera->knobs();
    knobs.setFailsOnSelector = setsFail ? 3 : -1;
    camera.camera->setKnobs(knobs);
    const QString local = dir_ + "/upfault.jpg";
    QFile::remove(local);
    QDir(dir_).rmdir("upfault.jpg");
    if (size >= 0)
        QVERIFY(writeFile(local, pattern(size)));
    if (size == -2)
        QVERIFY(QDir(dir_).mkdir("upfault.jpg"));
    QCOMPARE(camera.device->fileUploadByUvc(local, QString::fromLatin1(kMask1)), result);
    const QList<int> progress = seen.takenProgress();
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), result ? kErrCodeSuccess : kErrCodeFailure);
    if (setsOnWire >= 0)
        QCOMPARE(camera.setOn(3).size(), setsOnWire);
    if (result) {
        QCOMPARE(camera.camera->pictures().picture(kMask1), pattern(size));
        QVERIFY(progress.contains(90));
    }
}

void tst_UvcPictures::deviceThreadServesKinds()
{
    Camera camera;
    Signals seen(*camera.device);
    UvcDevice& device = *camera.device;
    for (int slot = 0; slot < 3; ++slot) {
        device.setThumbnailPath(slot, QStringLiteral("%1/thumb%2.jpg").arg(dir_).arg(slot));
        device.setFullPicturePath(slot, QStringLiteral("%1/full%2.jpg").arg(dir_).arg(slot));
        QFile::remove(device.thumbnailPath(slot));
    }
    camera.camera->setPicture(kMask0, pattern(300), "thumb-zero");
    camera.camera->setPicture(kMask1, pattern(700));
    QVERIFY(writeFile(device.thumbnailPath(0), "thumb-zero"));  // already the camera's
    const QDateTime before = QFileInfo(device.thumbnailPath(0)).lastModified();
    QVERIFY(writeFile(device.fullPicturePath(2), pattern(120)));

    // Requested out of order; served lowest kind first, one per pass.
    QVERIFY(device.startFileUploadAsync(UvcDevice::ImageUpload2));
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageFull1));
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageThumbnail2));
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageThumbnail1));
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageThumbnail0));
    QVERIFY(waitFor([&] { return seen.takenProgress().contains(kErrCodeSuccess); }));
    QCOMPARE(seen.takenDownloads(),
             (QList<QPair<unsigned, int>>{{1u, 1}, {2u, 0}, {4u, 255}, {16u, 0}}));
    QCOMPARE(device.pendingTransfers(), 0u);
    QCOMPARE(device.settledThumbnails(), 7u);
    QCOMPARE(QFileInfo(device.thumbnailPath(0)).lastModified(), before);
    QCOMPARE(readFile(device.thumbnailPath(1)), pattern(700));
    QCOMPARE(readFile(device.fullPicturePath(1)), pattern(700));
    QCOMPARE(camera.camera->pictures().picture(kMask2), pattern(120));
    QCOMPARE(device.localPathFor(UvcDevice::ImageUpload2), device.fullPicturePath(2));
}

void tst_UvcPictures::failedThumbnailIsAskedAgain()
{
    Camera camera;
    Signals seen(*camera.device);
    UvcDevice& device = *camera.device;
    device.setThumbnailPath(0, dir_ + "/again.jpg");
    QFile::remove(dir_ + "/again.jpg");
    camera.camera->setPicture(kMask0, pattern(200));
    SimPictures::Faults badCrc;
    badCrc.badCrcReply = 2;
    camera.camera->setPictureFaults(badCrc);
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageThumbnail0));
    QVERIFY(waitFor([&] { return seen.downloadCount() == 1; }));
    QCOMPARE(seen.takenDownloads().last().second, 254);
    QCOMPARE(device.settledThumbnails(), 0u);  // 254 does not settle
    QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageThumbnail0));
    QVERIFY(waitFor([&] { return seen.downloadCount() == 2; }));
    QCOMPARE(seen.takenDownloads().last().second, 0);
    QCOMPARE(device.settledThumbnails(), 1u);
}

void tst_UvcPictures::switchesSurviveTransfers()
{
    Camera camera;
    UvcDevice& device = *camera.device;
    camera.camera->setPicture(kMask0, pattern(100));
    bool gesture = true;
    bool target = false;
    QCOMPARE(device.aiSetGestureCtrl(false), 0);
    QCOMPARE(device.aiSetTargetSelect(true), 0);
    QCOMPARE(device.fileDownloadByUvc(dir_ + "/sw.jpg", QString::fromLatin1(kMask0), true), 0);
    QVERIFY(writeFile(dir_ + "/swup.jpg", pattern(60)));
    QVERIFY(device.fileUploadByUvc(dir_ + "/swup.jpg", QString::fromLatin1(kMask1)));
    QCOMPARE(device.aiGetGestureCtrl(gesture), 0);
    QCOMPARE(device.aiGetTargetSelect(target), 0);
    QVERIFY(!gesture);  // the control records were not taken as switch-on
    QVERIFY(target);
    QCOMPARE(device.aiSetGestureCtrl(true), 0);
    QCOMPARE(device.aiGetGestureCtrl(gesture), 0);
    QVERIFY(gesture);
}

void tst_UvcPictures::timeOutIsWallClock()
{
    Camera camera;
    camera.camera->setPicture(kMask0, pattern(40000));
    UvcTiming timing = pictureTiming();
    timing.pictureDownloadTimeoutMs = 100;
    camera.device->setTiming(timing);
    SimKnobs knobs = camera.camera->knobs();
    knobs.transferDelayMs = 2;  // the bus is slow; the process is idle
    camera.camera->setKnobs(knobs);
    QElapsedTimer clock;
    clock.start();
    QTest::ignoreMessage(QtCriticalMsg, "Timeout for upload file");
    QCOMPARE(camera.device->fileDownloadByUvc(dir_ + "/slow.jpg", QString::fromLatin1(kMask0), true), 254);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(camera.camera->pictures().dataRepliesSent() < 40000 / 51);
}

void tst_UvcPictures::closeMidTransferReturnsPromptly_data()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("download") << false;
    QTest::newRow("upload") << true;
}

void tst_UvcPictures::closeMidTransferReturnsPromptly()
{
    QFETCH(bool, upload);
    Camera camera;
    Signals seen(*camera.device);
    UvcDevice& device = *camera.device;
    const int size = 300000;  // about 5900 records, seconds on this slow bus
    device.setFullPicturePath(0, dir_ + "/closing.jpg");
    QFile::remove(device.fullPicturePath(0));
    if (upload)
        QVERIFY(writeFile(device.fullPicturePath(0), pattern(size)));
    else
        camera.camera->setPicture(kMask0, pattern(size));
    SimKnobs knobs = camera.camera->knobs();
    knobs.transferDelayMs = 1;
    camera.camera->setKnobs(knobs);
    auto moved = [&] {
        const SimPictures pictures = camera.camera->pictures();
        return upload ? pictures.recordsTaken() : pictures.dataRepliesSent();
    };
    if (upload)
        QVERIFY(device.startFileUploadAsync(UvcDevice::ImageUpload0));
    else
        QVERIFY(device.startFileDownloadAsync(UvcDevice::ImageFull0));
    QVERIFY(waitFor([&] { return moved() > 50; }));
    QElapsedTimer clock;
    clock.start();
    device.close();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(device.isFinished());
    QVERIFY(moved() < size / 51);  // it was stopped in the middle
    if (upload)
        QCOMPARE(seen.takenProgress().last(), kErrCodeFailure);
    else
        QCOMPARE(seen.takenDownloads(), (QList<QPair<unsigned, int>>{{8u, 254}}));
    QVERIFY(upload || !QFile::exists(device.fullPicturePath(0)));
}

QTEST_GUILESS_MAIN(tst_UvcPictures)
#include "tst_uvcpictures.moc"
