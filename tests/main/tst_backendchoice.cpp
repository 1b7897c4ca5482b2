// The program's device backend choice: the platform's own by default, the
// simulated demo cameras on request, and those cameras as a user has them.

#include "main/BackendChoice.h"
#include "main/DemoCameras.h"
#include "platform/linux/LinuxBackend.h"
#include "sim/SimBackend.h"
#include "support/InitedCamera.h"
#include "support/TestHome.h"
#include "comm/Util.h"
#include "uvc/UvcDevices.h"

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
// controls are set to, and a log archive that opens.
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

QTEST_GUILESS_MAIN(tst_BackendChoice)
#include "tst_backendchoice.moc"
