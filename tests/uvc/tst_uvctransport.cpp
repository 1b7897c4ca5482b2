// The camera object's control transport: binding it to its device, opening
// and closing with the device thread, the descriptor walk, the unit ids its
// requests use, and the standard control table.

#include "support/InitedCamera.h"
#include "uvc/VideoControlUnits.h"

#include <QThread>
#include <QtTest>

#include <atomic>

using namespace vesk::pc;

namespace {

const char* const kHeader = "0D24015001%1006CDC020101";
const char* const kCameraTerminal = "1224020101020000000000000000032a0a02";
const char* const kProcessingUnit = "0D24050201000003" "5f1f00" "0000";
const char* const kExtensionUnit = "1A240603a29e7641de04474ea6f2e3f9a2b4c5d1070102017F00";
const char* const kOutputTerminal = "0924030401010003" "00";

QByteArray descriptors(const QList<QByteArray>& units, int totalLength = -1)
{
    QByteArray body;
    for (const QByteArray& unit : units)
        body += QByteArray::fromHex(unit);
    const int total = totalLength >= 0 ? totalLength : 13 + body.size();
    const QByteArray length = QByteArray::number(total & 0xFF, 16).rightJustified(2, '0')
                              + QByteArray::number(total >> 8, 16).rightJustified(2, '0');
    return QByteArray::fromHex(QByteArray(kHeader).replace("%1", length)) + body;
}

} // namespace

class tst_UvcTransport : public QObject
{
    Q_OBJECT
private slots:
    void constructionReadsTheUsbIds();
    void newCamerasTakeTheDefaultTiming();
    void descriptorWalk_data();
    void descriptorWalk();
    void requestsUseTheAnnouncedUnitIds();
    void extensionUnitSharingAStandardUnitsId_data();
    void extensionUnitSharingAStandardUnitsId();
    void openAndClose();
    void openWithTheInterfaceHeldByTheDriver();
    void openFailureAndNetworkMode();
    void controlIsAvailable_data();
    void controlIsAvailable();
    void tableReadsAndWrites();
    void rangeReadIssuesTheRightRequests();
};

void tst_UvcTransport::constructionReadsTheUsbIds()
{
    SimFixture sim;
    QCOMPARE(sim.device->locationId(), int64_t(0x14100000));
    QCOMPARE(sim.device->vendorId(), uint16_t(0x2ca3));
    QCOMPARE(sim.device->productId(), uint16_t(0x0201));
    QCOMPARE(sim.device->objectName(), QStringLiteral("UvcDevice"));
    QVERIFY(!sim.device->isOpen());
    QVERIFY(!sim.device->isRunning());

    UvcDevice orphan(QSharedPointer<CameraHandle>(), UvcDevice::DevModeUvc);
    QCOMPARE(orphan.locationId(), int64_t(-1));
    QCOMPARE(orphan.open(), -1);
}

void tst_UvcTransport::newCamerasTakeTheDefaultTiming()
{
    QCOMPARE(UvcTiming::defaults().passMs, 20);
    QCOMPARE(UvcTiming::defaults().replyWaitMs, 1000);
    QCOMPARE(UvcTiming::defaults().closeWaitMs, 1500);
    UvcTiming fast = fastTiming();
    UvcTiming::setDefaults(fast);
    UvcDevice device(QSharedPointer<CameraHandle>(), UvcDevice::DevModeUvc);
    UvcTiming::setDefaults(UvcTiming());
    QCOMPARE(device.timing().passMs, fast.passMs);
    QCOMPARE(device.timing().replyWaitMs, fast.replyWaitMs);
}

void tst_UvcTransport::descriptorWalk_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("pu");
    QTest::addColumn<int>("xu");
    QTest::addColumn<QByteArray>("ctBits");
    QTest::addColumn<QByteArray>("puBits");

    const QByteArray movedPu = "0D24050501000003" "5f1f00" "0000";
    const QByteArray movedXu = "1A240604a29e7641de04474ea6f2e3f9a2b4c5d1070102057F00";
    const QByteArray all = descriptors({kCameraTerminal, kProcessingUnit, kExtensionUnit, kOutputTerminal});

    QTest::newRow("typical") << all << 2 << 3 << QByteArray("2a0a02") << QByteArray("5f1f00");
    QTest::newRow("moved unit ids") << descriptors({kCameraTerminal, movedPu, movedXu, kOutputTerminal})
                                    << 5 << 4 << QByteArray("2a0a02") << QByteArray("5f1f00");
    QTest::newRow("interface descriptor first")
        << QByteArray::fromHex("090400000 10E010000").replace(' ', "") + all
        << 2 << 3 << QByteArray("2a0a02") << QByteArray("5f1f00");
    QTest::newRow("processing unit with zero control size")
        << descriptors({kCameraTerminal, "0A24050701000000" "0000", movedXu})
        << 2 << 4 << QByteArray("2a0a02") << QByteArray();
    QTest::newRow("truncated inside the processing unit")
        << all.left(13 + 18 + 6) << 2 << 3 << QByteArray("2a0a02") << QByteArray();
    QTest::newRow("total length ends the walk")
        << descriptors({kCameraTerminal, movedPu, movedXu}, 13 + 18) << 2 << 3
        << QByteArray("2a0a02") << QByteArray();
    QTest::newRow("zero-length descriptor ends the walk")
        << descriptors({kCameraTerminal, "00", movedXu}) << 2 << 3 << QByteArray("2a0a02") << QByteArray();
    QTest::newRow("bitmap longer than its descriptor")
        << descriptors({"1224020101020000000000000000092a0a02", movedXu}) << 2 << 4 << QByteArray()
        << QByteArray();
    QTest::newRow("no header") << QByteArray::fromHex(QByteArray(kProcessingUnit) + kExtensionUnit)
                               << 2 << 3 << QByteArray() << QByteArray();
    QTest::newRow("truncated header") << QByteArray::fromHex("0D240150") << 2 << 3 << QByteArray()
                                      << QByteArray();
    QTest::newRow("empty") << QByteArray() << 2 << 3 << QByteArray() << QByteArray();
}

void tst_UvcTransport::descriptorWalk()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, pu);
    QFETCH(int, xu);
    QFETCH(QByteArray, ctBits);
    QFETCH(QByteArray, puBits);
    if (QByteArray(QTest::currentDataTag()) == "truncated header")
        QTest::ignoreMessage(QtWarningMsg, "Truncated video control header descriptor");
    const VideoControlUnits units = VideoControlUnits::fromDescriptors(raw);
    QCOMPARE(int(units.cameraTerminalId), 1);
    QCOMPARE(int(units.processingUnitId), pu);
    QCOMPARE(int(units.extensionUnitId), xu);
    QCOMPARE(units.cameraTerminalControls.toHex(), ctBits);
    QCOMPARE(units.processingUnitControls.toHex(), puBits);
}

void tst_UvcTransport::requestsUseTheAnnouncedUnitIds()
{
    SimCameraModel model;
    model.interfaceNumber = 2;
    model.processingUnitId = 5;
    model.extensionUnitId = 4;
    // No status polls: on a loaded machine one lands among the three requests.
    SimFixture sim(model, UvcDevice::DevModeUvc, quietTiming());
    QCOMPARE(sim.device->open(), 0);
    QCOMPARE(sim.device->interfaceNumber(), 2);
    sim.device->setSystemType(1);
    sim.camera->clearRequests();

    CameraStatus status;
    QVERIFY(sim.device->getCameraStatus(status));
    UvcUTCtrlRequest value;
    QVERIFY(sim.device->getValueForControl(&value, PuBrightness));
    QVERIFY(sim.device->getValueForControl(&value, CtZoomAbsolute));
    sim.device->close();

    const QList<SimRequestRecord> log = sim.camera->requests();
    QCOMPARE(log.size(), 3);
    QCOMPARE(int(log[0].unitId), 4);
    QCOMPARE(int(log[0].selector), 6);
    QCOMPARE(int(log[1].unitId), 5);
    QCOMPARE(int(log[1].selector), 0x02);
    QCOMPARE(int(log[2].unitId), 1);
    QCOMPARE(int(log[2].selector), 0x0B);
}

void tst_UvcTransport::extensionUnitSharingAStandardUnitsId_data()
{
    QTest::addColumn<int>("xu");
    QTest::addColumn<QByteArray>("puBits");  // none: the processing unit keeps the default id 2
    QTest::newRow("the camera terminal's id") << 1 << QByteArray("5f1f00");
    QTest::newRow("the default processing unit id") << 2 << QByteArray();
}

// The unit's kind travels with each request: an id the extension unit shares
// with another unit used to send its messages to that unit instead.
void tst_UvcTransport::extensionUnitSharingAStandardUnitsId()
{
    QFETCH(int, xu);
    QFETCH(QByteArray, puBits);
    SimCameraModel model;
    model.processingUnitId = 5;
    model.processingUnitControls = QByteArray::fromHex(puBits);
    model.extensionUnitId = uint8_t(xu);
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    QCOMPARE(int(sim.device->units().extensionUnitId), xu);
    sim.device->setSystemType(1);

    ProtocolMsg::FrmPacket version;
    version.setAddresses(0xE8);
    version.setCommand(0x8010);
    version.setPayloadLength(0);
    QByteArray response;
    QCOMPARE(sim.device->sendMsgSync(version, response), UvcDevice::ErrSuccess);
    QCOMPARE(response.toHex(), QByteArray("07030001"));
    CameraStatus status;
    QVERIFY(sim.device->getCameraStatus(status));
    UvcUTCtrlRequest zoom;
    QVERIFY(sim.device->getValueForControl(&zoom, CtZoomAbsolute));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(zoom.bytes), 2).toHex(), QByteArray("6400"));
    sim.device->close();
    for (const SimRequestRecord& record : sim.camera->requests())
        QVERIFY(record.result >= 0);
}

void tst_UvcTransport::openAndClose()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    QVERIFY(sim.device->isOpen());
    QVERIFY(sim.device->isRunning());
    QVERIFY(sim.camera->isControlInterfaceOpen());
    QElapsedTimer timer;
    timer.start();
    sim.device->close();
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(sim.device->isFinished());
    QVERIFY(!sim.device->isOpen());
    QVERIFY(!sim.camera->isControlInterfaceOpen());
    QCOMPARE(sim.device->open(), 0);  // a closed camera opens again
    QVERIFY(sim.device->isRunning());
}

void tst_UvcTransport::openWithTheInterfaceHeldByTheDriver()
{
    SimCameraModel model;
    model.knobs.interfaceHeldByDriver = true;
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    QVERIFY(sim.device->isRunning());
}

void tst_UvcTransport::openFailureAndNetworkMode()
{
    SimCameraModel model;
    model.knobs.openFails = true;
    SimFixture failing(model);
    QTest::ignoreMessage(QtWarningMsg, "Failed to open the video control interface");
    QCOMPARE(failing.device->open(), -1);
    QVERIFY(!failing.device->isRunning());

    SimFixture net(SimCameraModel(), UvcDevice::DevModeNet);
    QCOMPARE(net.device->open(), 0);
    QVERIFY(!net.device->isRunning());
    QVERIFY(!net.camera->isControlInterfaceOpen());
    QVERIFY(net.camera->requests().isEmpty());
}

void tst_UvcTransport::controlIsAvailable_data()
{
    QTest::addColumn<QByteArray>("ctBits");
    QTest::addColumn<QByteArray>("puBits");
    QTest::addColumn<int>("control");
    QTest::addColumn<bool>("available");

    // 2a0a02: bits 1, 3, 5, 9, 11, 17; 5f1f00: bits 0-4, 6, 8-12
    QTest::newRow("auto-exposure mode") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(CtAeMode) << true;
    QTest::newRow("scanning mode") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(CtScanningMode) << false;
    QTest::newRow("focus auto, bit 17") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(CtFocusAuto) << true;
    QTest::newRow("focus auto past 2 bytes") << QByteArray("2a0a") << QByteArray("5f1f00") << int(CtFocusAuto) << false;
    QTest::newRow("region of interest") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(CtRegionOfInterest) << false;
    QTest::newRow("gamma, bit 5") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(PuGamma) << false;
    QTest::newRow("backlight, bit 8") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(PuBacklightCompensation) << true;
    QTest::newRow("white balance auto, bit 12") << QByteArray("2a0a02") << QByteArray("5f1f00") << int(PuWhiteBalanceTemperatureAuto) << true;
    QTest::newRow("nothing announced") << QByteArray() << QByteArray() << int(PuAnalogLockStatus) << true;
    QTest::newRow("beyond the table") << QByteArray() << QByteArray() << 39 << false;
    QTest::newRow("negative index") << QByteArray() << QByteArray() << -1 << false;
}

void tst_UvcTransport::controlIsAvailable()
{
    QFETCH(QByteArray, ctBits);
    QFETCH(QByteArray, puBits);
    QFETCH(int, control);
    QFETCH(bool, available);
    SimCameraModel model;
    model.cameraTerminalControls = QByteArray::fromHex(ctBits);
    model.processingUnitControls = QByteArray::fromHex(puBits);
    SimFixture sim(model);
    QCOMPARE(sim.device->open(), 0);
    QCOMPARE(sim.device->controlIsAvailable(UvcCtrlSelectorType(control)), available);
}

void tst_UvcTransport::tableReadsAndWrites()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    uint8_t info = 0;
    QVERIFY(sim.device->capabilitiesForControl(&info, PuHue));
    QCOMPARE(info, uint8_t(0x03));

    UvcUTCtrlRequest min, max, res, def;
    QVERIFY(sim.device->getLowHighValueStepSizeDefaultValueForControl(&min, &max, &res, &def, PuHue));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(min.bytes), 2).toHex(), QByteArray("4cff"));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(max.bytes), 2).toHex(), QByteArray("b400"));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(def.bytes), 2).toHex(), QByteArray("0000"));

    UvcUTCtrlRequest value;
    value.bytes[0] = 0x2C;
    value.bytes[1] = 0x01;
    QVERIFY(sim.device->setValueForControl(&value, CtExposureTimeAbsolute));
    QCOMPARE(sim.camera->controlValue(UvcUnitKind::CameraTerminal, 0x04).toHex(), QByteArray("2c010000"));
    UvcUTCtrlRequest back;
    QVERIFY(sim.device->getValueForControl(&back, CtExposureTimeAbsolute));
    QCOMPARE(QByteArray(reinterpret_cast<char*>(back.bytes), 4).toHex(), QByteArray("2c010000"));
    QVERIFY(!sim.device->getValueForControl(&back, PuGamma));  // the camera has no gamma
}

void tst_UvcTransport::rangeReadIssuesTheRightRequests()
{
    SimFixture sim;
    QCOMPARE(sim.device->open(), 0);
    sim.device->close();  // keep the device thread's reads out of the log
    QCOMPARE(sim.device->open(), 0);
    UvcUTCtrlRequest min, max, res, def;
    sim.camera->clearRequests();
    // No gamma on this camera: GET_MIN fails, so GET_MAX is skipped, RES and DEF still go.
    QVERIFY(!sim.device->getLowHighValueStepSizeDefaultValueForControl(&min, &max, &res, &def, PuGamma));
    QList<UvcRequest> issued;
    for (const SimRequestRecord& record : sim.camera->requests()) {
        if (record.kind == UvcUnitKind::ProcessingUnit)
            issued << record.request;
    }
    const QList<UvcRequest> expected = {UvcRequest::GetMin, UvcRequest::GetRes, UvcRequest::GetDef};
    QCOMPARE(issued, expected);
    // Only some buffers: no MIN/MAX without both.
    sim.camera->clearRequests();
    QVERIFY(sim.device->getLowHighValueStepSizeDefaultValueForControl(&min, nullptr, nullptr, &def, PuHue));
    issued.clear();
    for (const SimRequestRecord& record : sim.camera->requests()) {
        if (record.kind == UvcUnitKind::ProcessingUnit)
            issued << record.request;
    }
    QCOMPARE(issued, QList<UvcRequest>{UvcRequest::GetDef});
}

QTEST_GUILESS_MAIN(tst_UvcTransport)
#include "tst_uvctransport.moc"
