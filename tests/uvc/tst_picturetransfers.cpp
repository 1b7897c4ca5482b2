// The pictures part over a simulated camera's handle, with no camera object:
// the records on the wire, downloads and uploads through lost, reordered and
// damaged records, the mended faults (sizes, writes, wall-clock time-outs, a
// missing file), the queue of kinds and a stop in the middle of a transfer.

#include "support/HandlePorts.h"
#include "support/PictureHelpers.h"
#include "support/TestHome.h"

#include "comm/UpgradeCodes.h"
#include "uvc/PictureTransfers.h"

#include <QDir>
#include <QtTest>

#include <thread>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimPictures::Faults)

namespace {

const QByteArray kMask0("/app/private/mask0.jpg");
const QByteArray kMask1("/app/private/mask1.jpg");
const QByteArray kMask2("/app/private/mask2.jpg");

// The part over its own ports; the test runs the passes itself.
struct PartRig : HandlePorts
{
    PictureTransfers pictures{*this, *this};

    PartRig() { setTiming(pictureTiming()); }

    QList<SimRequestRecord> requestsOn(uint8_t selector, UvcRequest request) const
    {
        QList<SimRequestRecord> found;
        for (const auto& record : camera->requests()) {
            if (record.kind == UvcUnitKind::ExtensionUnit && record.selector == selector
                && record.request == request)
                found << record;
        }
        return found;
    }
    QList<QByteArray> setOn(uint8_t selector) const
    {
        QList<QByteArray> blocks;
        for (const auto& record : requestsOn(selector, UvcRequest::SetCur))
            blocks << record.data;
        return blocks;
    }
    // Runs passes until nothing is queued; how many ran.
    int runAll()
    {
        int passes = 0;
        for (; pictures.pendingTransfers() != 0 && passes < 20; ++passes)
            pictures.runPictureTransfer();
        return passes;
    }
};

} // namespace

class tst_PictureTransfers : public QObject
{
    Q_OBJECT
    TestHome home_;
    QString dir_;

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
    void timeOutIsWallClock();
    void passesServeLowestKindFirst();
    void requestDuringTransferRunsAgain();
    void stopEndsTransfer_data();
    void stopEndsTransfer();
};

void tst_PictureTransfers::requestKinds_data()
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

void tst_PictureTransfers::requestKinds()
{
    QFETCH(unsigned, kind);
    QFETCH(bool, download);
    QFETCH(bool, upload);
    PartRig idle;  // no pass runs the bits
    PictureTransfers& pictures = idle.pictures;
    QCOMPARE(pictures.startFileDownloadAsync(PictureTransfers::ImageTransType(kind)), download);
    QCOMPARE(pictures.startFileUploadAsync(PictureTransfers::ImageTransType(kind)), upload);
    QCOMPARE(pictures.pendingTransfers(), download || upload ? kind : 0u);
}

void tst_PictureTransfers::downloadRecords_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("thumbnail");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("thumbnail 64x36 quality 90") << kMask0 << true
        << padded60("00" "4000" "2400" "5a00" "2f6170702f707269766174652f6d61736b302e6a7067");
    QTest::newRow("full 1536x864 quality 0") << kMask1 << false
        << padded60("00" "0006" "6003" "0000" "2f6170702f707269766174652f6d61736b312e6a7067");
}

void tst_PictureTransfers::downloadRecords()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, thumbnail);
    QFETCH(QByteArray, request);
    PartRig camera;
    camera.setTiming(quietTiming());  // the picture waits as shipped
    camera.camera->setPicture(file, "abc");
    const QString local = dir_ + "/records.jpg";
    QFile::remove(local);
    QCOMPARE(camera.pictures.fileDownloadByUvc(local, QString::fromLatin1(file), thumbnail), 0);
    QCOMPARE(readFile(local), QByteArray("abc"));
    const QByteArray control = padded60("01");
    QCOMPARE(camera.setOn(4), (QList<QByteArray>{control, request, control}));
    const auto replies = camera.requestsOn(4, UvcRequest::GetCur);
    QCOMPARE(replies.size(), 2);
    // Information: present, size 3, CRC-32 of "abc"; data: sequence 1, CRC-16, 3 bytes.
    QCOMPARE(replies[0].data.left(16), QByteArray::fromHex("0101" "00000100" "03000000" "3300" "c2412435"));
    QCOMPARE(replies[1].data, padded60("02010000001a510300616263"));
}

void tst_PictureTransfers::uploadRecords()
{
    PartRig camera;
    camera.setTiming(quietTiming());  // the picture waits as shipped
    PictureSignals<PictureTransfers> seen(camera.pictures);
    const QString local = dir_ + "/upload102.jpg";
    QByteArray bytes(102, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i);
    QVERIFY(writeFile(local, bytes));
    QVERIFY(camera.pictures.fileUploadByUvc(local, QString::fromLatin1(kMask2)));
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

void tst_PictureTransfers::downloadFaults_data()
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

void tst_PictureTransfers::downloadFaults()
{
    QFETCH(int, size);
    QFETCH(SimPictures::Faults, faults);
    QFETCH(bool, blockedFolder);
    QFETCH(int, result);
    QFETCH(QList<uint32_t>, resends);
    QFETCH(int, level);
    QFETCH(QString, logLine);
    PartRig camera;
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
    QCOMPARE(camera.pictures.fileDownloadByUvc(local, QString::fromLatin1(kMask0), false), result);
    QCOMPARE(camera.camera->pictures().resendRequests(), resends);
    QCOMPARE(QFile::exists(local), result == 0);
    if (result == 0)
        QCOMPARE(readFile(local), pattern(size));
    QCOMPARE(camera.setOn(4).last(), padded60("01"));  // every ending closes the transfer
}

void tst_PictureTransfers::uploadFaults_data()
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

void tst_PictureTransfers::uploadFaults()
{
    QFETCH(int, size);
    QFETCH(SimPictures::Faults, faults);
    QFETCH(bool, result);
    QFETCH(int, setsOnWire);
    QFETCH(bool, setsFail);
    PartRig camera;
    PictureSignals<PictureTransfers> seen(camera.pictures);
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
    QCOMPARE(camera.pictures.fileUploadByUvc(local, QString::fromLatin1(kMask1)), result);
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

void tst_PictureTransfers::timeOutIsWallClock()
{
    PartRig camera;
    camera.camera->setPicture(kMask0, pattern(40000));
    UvcTiming timing = pictureTiming();
    timing.pictureDownloadTimeoutMs = 100;
    camera.setTiming(timing);
    SimKnobs knobs = camera.camera->knobs();
    knobs.transferDelayMs = 2;  // the bus is slow; the process is idle
    camera.camera->setKnobs(knobs);
    QElapsedTimer clock;
    clock.start();
    QTest::ignoreMessage(QtCriticalMsg, "Timeout for upload file");
    QCOMPARE(camera.pictures.fileDownloadByUvc(dir_ + "/slow.jpg", QString::fromLatin1(kMask0), true), 254);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(camera.camera->pictures().dataRepliesSent() < 40000 / 51);
}

void tst_PictureTransfers::passesServeLowestKindFirst()
{
    PartRig part;
    PictureSignals<PictureTransfers> seen(part.pictures);
    PictureTransfers& pictures = part.pictures;
    for (int slot = 0; slot < 3; ++slot) {
        pictures.setThumbnailPath(slot, QStringLiteral("%1/pthumb%2.jpg").arg(dir_).arg(slot));
        pictures.setFullPicturePath(slot, QStringLiteral("%1/pfull%2.jpg").arg(dir_).arg(slot));
        QFile::remove(pictures.thumbnailPath(slot));
    }
    part.camera->setPicture(kMask1, pattern(90));
    QVERIFY(writeFile(pictures.fullPicturePath(0), pattern(70)));
    QVERIFY(pictures.startFileUploadAsync(PictureTransfers::ImageUpload0));
    QVERIFY(pictures.startFileDownloadAsync(PictureTransfers::ImageThumbnail1));
    QVERIFY(pictures.startFileDownloadAsync(PictureTransfers::ImageThumbnail0));
    QCOMPARE(part.runAll(), 3);
    QCOMPARE(seen.takenDownloads(), (QList<QPair<unsigned, int>>{{1u, 255}, {2u, 0}}));
    QCOMPARE(seen.takenProgress().last(), kErrCodeSuccess);
    QCOMPARE(pictures.settledThumbnails(), 3u);
    QCOMPARE(readFile(pictures.thumbnailPath(1)), pattern(90));
    QCOMPARE(part.camera->pictures().picture(kMask0), pattern(70));
    QCOMPARE(pictures.localPathFor(PictureTransfers::ImageFull2), dir_ + QStringLiteral("/pfull2.jpg"));
    QCOMPARE(pictures.localPathFor(PictureTransfers::ImageTransType(3)), QString());
}

// A kind asked for again while its transfer runs is run once more: its bit
// is cleared before the transfer, not after.
void tst_PictureTransfers::requestDuringTransferRunsAgain()
{
    PartRig part;
    PictureSignals<PictureTransfers> seen(part.pictures);
    const int size = 20000;
    part.pictures.setFullPicturePath(0, dir_ + "/again-full.jpg");
    part.camera->setPicture(kMask0, pattern(size));
    SimKnobs knobs = part.camera->knobs();
    knobs.transferDelayMs = 1;
    part.camera->setKnobs(knobs);
    QVERIFY(part.pictures.startFileDownloadAsync(PictureTransfers::ImageFull0));
    std::thread pass([&] { part.pictures.runPictureTransfer(); });
    const bool midway = waitFor([&] { return part.camera->pictures().dataRepliesSent() > 20; });
    QVERIFY(part.pictures.startFileDownloadAsync(PictureTransfers::ImageFull0));
    const int repliesAtRequest = part.camera->pictures().dataRepliesSent();
    const bool ended = waitFor([&] { return seen.downloadCount() == 1; }, 30000);
    pass.join();
    QVERIFY(midway);
    QVERIFY(ended);
    QVERIFY(repliesAtRequest < (size + 50) / 51);  // the request came in the middle
    QCOMPARE(part.pictures.pendingTransfers(), unsigned(PictureTransfers::ImageFull0));
    QCOMPARE(part.runAll(), 1);
    QCOMPARE(seen.takenDownloads(), (QList<QPair<unsigned, int>>{{8u, 0}, {8u, 1}}));
}

void tst_PictureTransfers::stopEndsTransfer_data()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("download") << false;
    QTest::newRow("upload") << true;
}

void tst_PictureTransfers::stopEndsTransfer()
{
    QFETCH(bool, upload);
    PartRig part;
    PictureSignals<PictureTransfers> seen(part.pictures);
    const int size = 300000;
    const QString local = dir_ + "/stopped.jpg";
    QFile::remove(local);
    if (upload)
        QVERIFY(writeFile(local, pattern(size)));
    else
        part.camera->setPicture(kMask0, pattern(size));
    SimKnobs knobs = part.camera->knobs();
    knobs.transferDelayMs = 1;
    part.camera->setKnobs(knobs);
    auto moved = [&] {
        const SimPictures pictures = part.camera->pictures();
        return upload ? pictures.recordsTaken() : pictures.dataRepliesSent();
    };
    std::atomic<bool> result{true};
    std::atomic<bool> done{false};
    std::thread transfer([&] {
        result = upload ? part.pictures.fileUploadByUvc(local, QString::fromLatin1(kMask0))
                        : part.pictures.fileDownloadByUvc(local, QString::fromLatin1(kMask0), false)
                              == PictureTransfers::kDownloadFetched;
        done = true;
    });
    const bool started = waitFor([&] { return moved() > 50; });
    QElapsedTimer clock;
    clock.start();
    part.stop();
    const bool stopped = waitFor([&] { return done.load(); }, 10000);
    const qint64 took = clock.elapsed();
    transfer.join();
    QVERIFY(started);
    QVERIFY(stopped);
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
    QVERIFY(!result);
    QVERIFY(moved() < size / 51);  // it was stopped in the middle
    if (upload)
        QCOMPARE(seen.takenProgress().last(), kErrCodeFailure);
    else
        QVERIFY(!QFile::exists(local));
}

QTEST_GUILESS_MAIN(tst_PictureTransfers)
#include "tst_picturetransfers.moc"
