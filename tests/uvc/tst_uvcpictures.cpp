// Picture transfers through a camera object: its device thread serving the
// queue of kinds, retrying a failed thumbnail, the switches on the same unit
// around transfers, and a close in the middle of a transfer. The records
// themselves are tested on the pictures part (tst_picturetransfers).

#include "support/PictureHelpers.h"
#include "support/TestHome.h"

#include "comm/UpgradeCodes.h"

#include <QFileInfo>
#include <QtTest>

using namespace vesk::pc;

namespace {

const QByteArray kMask0("/app/private/mask0.jpg");
const QByteArray kMask1("/app/private/mask1.jpg");
const QByteArray kMask2("/app/private/mask2.jpg");

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
    };

private slots:
    void initTestCase() { dir_ = home_.path(); }

    void deviceThreadServesKinds();
    void failedThumbnailIsAskedAgain();
    void switchesSurviveTransfers();
    void closeMidTransferReturnsPromptly_data();
    void closeMidTransferReturnsPromptly();
};

void tst_UvcPictures::deviceThreadServesKinds()
{
    Camera camera;
    PictureSignals<UvcDevice> seen(*camera.device);
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
    QCOMPARE(device.localPathFor(UvcDevice::ImageUpload2), dir_ + QStringLiteral("/full2.jpg"));
}

void tst_UvcPictures::failedThumbnailIsAskedAgain()
{
    Camera camera;
    PictureSignals<UvcDevice> seen(*camera.device);
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
    PictureSignals<UvcDevice> seen(*camera.device);
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
