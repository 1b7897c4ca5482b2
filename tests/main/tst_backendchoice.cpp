// The program's device backend choice: the platform's own by default, the
// simulated demo cameras on request, and those cameras as a user has them,
// answering in full whatever the program reads of them.

#include "cloud/CameraSnapshotReader.h"
#include "main/BackendChoice.h"
#include "main/DemoCameras.h"
#include "platform/linux/LinuxBackend.h"
#include "sim/SimBackend.h"
#include "sim/SimPictures.h"
#include "support/InitedCamera.h"
#include "support/LogCapture.h"
#include "support/TestHome.h"
#include "comm/Util.h"
#include "uvc/UvcDevices.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

using namespace vesk::pc;

class tst_BackendChoice : public QObject
{
    Q_OBJECT
    TestHome home_;

private slots:
    void backendChoice();
    void demoCameras_data();
    void demoCameras();
    void demoCamerasAnswerWhatIsRead_data();
    void demoCamerasAnswerWhatIsRead();
};

void tst_BackendChoice::backendChoice()
{
    // Without the variable the real cameras of this machine are used (there
    // may be some, so only the kind of backend is checked).
    qunsetenv("ORLACAM_DEVICE_BACKEND");
    BackendChoice::install();
    QVERIFY(dynamic_cast<LinuxBackend*>(&DeviceBackend::instance()));
    QVERIFY(dynamic_cast<LinuxBackend*>(BackendChoice::create("").get()));
    QVERIFY(!dynamic_cast<SimBackend*>(BackendChoice::create("").get()));
    // Two cameras of different families, on ids the registry accepts.
    const auto sim = BackendChoice::create("sim");
    QCOMPARE(sim->devices().size(), 2);
    QCOMPARE(sim->devices().at(0).key, QStringLiteral("sim-orla"));
    QCOMPARE(sim->devices().at(1).key, QStringLiteral("sim-zuki"));
    for (const UsbDeviceInfo& device : sim->devices()) {
        QVERIFY(UvcDevices::productAccepted(device.productId) && UvcDevices::vendorAccepted(device.vendorId));
        QVERIFY(sim->openDevice(device.locationId));
    }
    // The simulated cameras keep as many requests as asked, however long
    // they are polled: the program's keep none.
    const auto kept = BackendChoice::create("sim", 2);
    const QSharedPointer<SimCamera> camera = dynamic_cast<SimBackend&>(*kept).camera(0x14100000);
    QVERIFY(camera && camera->openControlInterface());
    uint8_t block[60] = {};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(camera->controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, 3, 6, block, 60), 60);
    QCOMPARE(camera->requests().size(), 2);
}

void tst_BackendChoice::demoCameras_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("productType");
    QTest::newRow("Orla") << 0 << 2;
    QTest::newRow("Zuki") << 1 << 0;
}

// Firmware new enough for every setting page, the controls' ranges that the
// camera setting dialog's tables span (compensation -3 to 3 EV, ISO 100 to
// 4800, shutter 1/6400 to 1/2.5 s), a status block that shows what the
// controls are set to, the camera's own two pictures, and a log archive
// that opens.
void tst_BackendChoice::demoCameras()
{
    QFETCH(int, index);
    QFETCH(int, productType);
    const SimCameraModel model = DemoCameras::models().at(index);
    InitedCamera camera(model);
    QVERIFY(camera.inited);
    UvcDevice& d = *camera.device;
    QCOMPARE(d.getProductType(), productType);
    QVERIFY2(Util::verStrToUint(d.devVersion()) >= Util::verStrToUint(QStringLiteral("4.2.3.1")),
             qPrintable(d.devVersion()));

    UvcDevice::CameraParamRange range;
    QCOMPARE(d.uvcBacklightCompensationControlRangeGet(range), 0);
    QCOMPARE(QList<qint64>({range.min, range.max}), QList<qint64>({0, 18}));
    QCOMPARE(d.uvcGainControlRangeGet(range), 0);
    QCOMPARE(QList<qint64>({range.min, range.max}), QList<qint64>({1, 48}));
    QCOMPARE(d.uvcExposureRangeAbsGet(range), 0);
    QCOMPARE(QList<qint64>({range.min, range.max}), QList<qint64>({1, 4000}));

    CameraStatus status;
    QVERIFY(d.getCameraStatus(status));
    QVERIFY(status.runState(productType) != CameraStatus::RunSleeping);
    QCOMPARE(int(status.antiFlicker(productType)), d.cameraGetAntiFlicker());
    QCOMPARE(1 + status.zoomPosition(productType) / 100.0, d.cameraGetZoomRatio());
    if (productType == 2) {
        bool autoFocus = false;
        int focus = 0;
        QCOMPARE(d.uvcFocusGet(autoFocus, focus), 0);
        QCOMPARE(status.autoFocusOn(productType), autoFocus);
        QCOMPARE(status.manualFocusPosition(productType), focus);
    }

    // The camera's own two pictures and their thumbnails, the third slot
    // free; a thumbnail comes over the camera link.
    for (int i = 0; i < 3; ++i) {
        const QByteArray name = SimPictures::maskName(i);
        QCOMPARE(QImage::fromData(model.pictures.value(name), "JPG").size(), i < 2 ? QSize(1536, 864) : QSize(0, 0));
        QCOMPARE(QImage::fromData(model.thumbnails.value(name), "JPG").size(), i < 2 ? QSize(64, 36) : QSize(0, 0));
        QVERIFY(model.pictures.value(name).size() < 0x80000);
    }
    const QString thumbnail = home_.path() + QStringLiteral("/thumbnail%1.jpg").arg(index);
    QCOMPARE(d.fileDownloadByUvc(thumbnail, QString::fromLatin1(SimPictures::maskName(1)), true), 0);
    QCOMPARE(QImage(thumbnail).size(), QSize(64, 36));

    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("-xzOf"), QStringLiteral("-")});
    if (!tar.waitForStarted(10000))
        QSKIP("no tar to open the archive with");
    tar.write(model.upgrade.logArchive);
    tar.closeWriteChannel();
    QVERIFY(tar.waitForFinished(30000));
    QCOMPARE(tar.exitCode(), 0);
    QVERIFY2(tar.readAllStandardOutput().contains(" started, firmware "), qPrintable(tar.readAllStandardError()));
}

// What the program reads of a camera: each read with what it checks of the
// answer (0 when it holds).
using Read = std::function<int(UvcDevice&)>;
Q_DECLARE_METATYPE(Read)

void tst_BackendChoice::demoCamerasAnswerWhatIsRead_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<Read>("read");
    const auto waitFor = [](const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000) ? 0 : -1; };
    const QList<QPair<const char*, Read>> reads = {
        // The state report, as the cloud task reads a camera.
        {"state report", [](UvcDevice& d) {
             CameraSnapshot snapshot;
             const CameraSnapshotReader reader;
             return reader.readMain(d, &snapshot) && reader.readExt(d, &snapshot) ? 0 : -1; }},
        {"AI short status after a tracking mode", [waitFor](UvcDevice& d) {
             d.aiSetTrackingMode(2);
             AiStatus status;
             return waitFor([&] { return d.aiGetAiStatus(&status) == 0 && status.trackingMode == 2; }); }},
        {"boot position as set", [waitFor](UvcDevice& d) {
             d.aiSetGimbalBootPos(1.0f, -2.5f, 0.25f, 1000.0f);
             float p[4] = {};
             return waitFor([&] {
                 return d.aiGetGimbalBootPos(p[0], p[1], p[2], p[3]) == 0
                        && QList<float>({p[0], p[1], p[2], p[3]}) == QList<float>({1.0f, -2.5f, 0.25f, 1000.0f});
             }); }},
        {"attitude where the gimbal went", [waitFor](UvcDevice& d) {
             d.gimbalSetSpeedPosition(100, -200, 7, 1.0, 0.5, 0.0);
             int16_t x = 0, y = 0, z = 0;
             return waitFor([&] { return d.gimbalGetAttitudeInfo(x, y, z) == 0 && x == 100 && y == -200 && z == 7; }); }},
        {"run status", [](UvcDevice& d) {
             int status = -1;
             return d.cameraGetDevRunStatus(&status) == 0 && status == 1 ? 0 : -1; }},
        {"face focus as set", [waitFor](UvcDevice& d) {
             d.cameraSetFaceFocus(true);
             return waitFor([&] { return d.cameraGetFaceFocus() == 1; }); }},
    };
    for (int index : {0, 1}) {
        for (const auto& read : reads)
            QTest::addRow("%s: %s", index == 0 ? "Orla" : "Zuki", read.first) << index << read.second;
    }
}

// Every answer in full: no read fails, none is logged as short or refused.
void tst_BackendChoice::demoCamerasAnswerWhatIsRead()
{
    QFETCH(int, index);
    QFETCH(Read, read);
    InitedCamera camera(DemoCameras::models().at(index));
    QVERIFY(camera.inited);
    LogCapture log;
    QCOMPARE(read(*camera.device), 0);
    QCOMPARE(log.count(QString(), false, QtWarningMsg) + log.count(QString(), false, QtCriticalMsg), 0);
}

QTEST_GUILESS_MAIN(tst_BackendChoice)
#include "tst_backendchoice.moc"
