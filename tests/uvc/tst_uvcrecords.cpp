// Camera parameter records against a simulated camera: every record's bytes
// on selector 6, the clamped and inverted values, the status block that
// reflects them, short and failed writes, the guards, and the face-focus
// frames.

#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include <QtTest>

#include <atomic>
#include <functional>

using namespace vesk::pc;

using RecordCall = std::function<int(UvcDevice&)>;
Q_DECLARE_METATYPE(RecordCall)

namespace {

ButtonAction action(uint8_t a, uint8_t b, uint8_t c)
{
    ButtonAction value;
    value.bytes[0] = a;
    value.bytes[1] = b;
    value.bytes[2] = c;
    return value;
}

// One call of every record method, for the guard and failure tests.
QList<RecordCall> everyRecordMethod()
{
    return {
        [](UvcDevice& d) { return d.cameraSetMediaMode(UvcDevice::MediaModeAutoFraming); },
        [](UvcDevice& d) { return d.cameraSetHdr(true); },
        [](UvcDevice& d) { return d.cameraSetFaceAE(1); },
        [](UvcDevice& d) { return d.cameraSetFov(1); },
        [](UvcDevice& d) { return d.cameraSetBgMode(UvcDevice::MediaBgBlur); },
        [](UvcDevice& d) { return d.cameraSetMaskLevel(50); },
        [](UvcDevice& d) { return d.cameraSetButtonMode(1); },
        [](UvcDevice& d) { return d.cameraSetCustomizeButtonAction(action(1, 2, 3)); },
        [](UvcDevice& d) { return d.cameraSetNoiseCancellation(1); },
        [](UvcDevice& d) { return d.cameraSetSuspendTime(120); },
        [](UvcDevice& d) { return d.cameraSetVerticalMode(1); },
        [](UvcDevice& d) { return d.cameraSetAutoFramingMode(1, 0); },
        [](UvcDevice& d) { return d.cameraSetImageReplace(0, 1); },
        [](UvcDevice& d) { return d.cameraSetBgColor(UvcDevice::MediaBgColorGreen); },
        [](UvcDevice& d) { return d.cameraSetBgEnable(true); },
        [](UvcDevice& d) { return d.cameraSetPortraitMode(1); },
    };
}

class Receiver : public QObject
{
    Q_OBJECT
public:
    std::atomic<int> calls{0};
    std::atomic<int> value{-100};
    Q_INVOKABLE void onFaceFocus(int focus)
    {
        value = focus;
        ++calls;
    }
};

} // namespace

class tst_UvcRecords : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void recordsOnTheWire_data();
    void recordsOnTheWire();
    void statusBlockReflectsTheRecords_data();
    void statusBlockReflectsTheRecords();
    void shortAndFailedWrites_data();
    void shortAndFailedWrites();
    void guards_data();
    void guards();
    void faceFocusSet();
    void faceFocusGet_data();
    void faceFocusGet();
    void faceFocusGetFails();
    void faceFocusGetNonBlocking();
};

void tst_UvcRecords::recordsOnTheWire_data()
{
    QTest::addColumn<RecordCall>("call");
    QTest::addColumn<QByteArray>("record");
    auto row = [](const char* name, RecordCall call, const char* hex) {
        QTest::newRow(name) << call << padded60(hex);
    };
    using D = UvcDevice;
    row("media mode auto framing", [](D& d) { return d.cameraSetMediaMode(D::MediaModeAutoFraming); }, "000102");
    row("media mode normal", [](D& d) { return d.cameraSetMediaMode(D::MediaModeNormal); }, "000100");
    row("hdr on", [](D& d) { return d.cameraSetHdr(true); }, "010101");
    row("hdr off", [](D& d) { return d.cameraSetHdr(false); }, "010100");
    row("face exposure", [](D& d) { return d.cameraSetFaceAE(1); }, "030101");
    row("fov 65 degrees", [](D& d) { return d.cameraSetFov(2); }, "040102");
    row("background green", [](D& d) { return d.cameraSetBgMode(D::MediaBgGreenScreen); }, "050101");
    row("background image", [](D& d) { return d.cameraSetBgMode(D::MediaBgReplace); }, "050111");
    row("background blur", [](D& d) { return d.cameraSetBgMode(D::MediaBgBlur); }, "050112");
    row("mask level -5 clamped", [](D& d) { return d.cameraSetMaskLevel(-5); }, "060100");
    row("mask level 250 clamped", [](D& d) { return d.cameraSetMaskLevel(250); }, "060164");
    row("mask level 100", [](D& d) { return d.cameraSetMaskLevel(100); }, "060164");
    row("button rotation", [](D& d) { return d.cameraSetButtonMode(1); }, "070101");
    row("button action", [](D& d) { return d.cameraSetCustomizeButtonAction(action(0xa1, 0xb2, 0xc3)); },
        "0803a1b2c3");
    row("noise cancellation", [](D& d) { return d.cameraSetNoiseCancellation(1); }, "0a0101");
    row("suspend -120", [](D& d) { return d.cameraSetSuspendTime(-120); }, "0b0288ff");
    row("suspend 600", [](D& d) { return d.cameraSetSuspendTime(600); }, "0b025802");
    row("suspend 30", [](D& d) { return d.cameraSetSuspendTime(30); }, "0b021e00");
    row("vertical mode", [](D& d) { return d.cameraSetVerticalMode(1); }, "0c0101");
    row("group framing", [](D& d) { return d.cameraSetAutoFramingMode(0, -1); }, "0d0200ff");
    row("single upper body", [](D& d) { return d.cameraSetAutoFramingMode(1, 1); }, "0d020101");
    row("image 2 deleted", [](D& d) { return d.cameraSetImageReplace(1, 2); }, "0e020102");
    row("image 0 selected", [](D& d) { return d.cameraSetImageReplace(0, 0); }, "0e020000");
    row("background blue", [](D& d) { return d.cameraSetBgColor(D::MediaBgColorBlue); }, "100100");
    row("background colour green", [](D& d) { return d.cameraSetBgColor(D::MediaBgColorGreen); }, "100101");
    row("background enabled sends 0", [](D& d) { return d.cameraSetBgEnable(true); }, "110100");
    row("background disabled sends 1", [](D& d) { return d.cameraSetBgEnable(false); }, "110101");
    row("portrait mode", [](D& d) { return d.cameraSetPortraitMode(1); }, "120101");
}

void tst_UvcRecords::recordsOnTheWire()
{
    QFETCH(RecordCall, call);
    QFETCH(QByteArray, record);
    InitedCamera sim;
    QVERIFY(sim.inited);
    QCOMPARE(call(*sim.device), 0);
    const auto written = sim.requestsOn(6, UvcRequest::SetCur);
    QCOMPARE(written.size(), 1);
    QCOMPARE(written.first().data.toHex(), record.toHex());
    QCOMPARE(written.first().unitId, uint8_t(3));
    QCOMPARE(sim.wire().size(), 1);
}

void tst_UvcRecords::statusBlockReflectsTheRecords_data()
{
    QTest::addColumn<int>("productIndex");
    QTest::addColumn<int>("platformIndex");
    QTest::addColumn<QByteArray>("block");  // the first 27 bytes
    // media, hdr, run, face AE, fov, bg kind, blur ... noise 14, vertical 15,
    // framing 16-17, suspend 18-19, image 20.
    QTest::newRow("Orla") << 4 << 4
        << QByteArray("020100010112280000000000000001010101a8fd02000000000000");
    // The Zuki's own column: face AE 7, noise 8, suspend 10-11; it reports no
    // field of view, which used to land on its zoom position (byte 4).
    QTest::newRow("Zuki") << 2 << 4
        << QByteArray("00000000000000010100a8fd000000000000000000000000000000");
    QTest::newRow("Zuki 4K: also hdr 6, portrait 12") << 2 << 5
        << QByteArray("00000000000001010100a8fd010000000000000000000000000000");
}

void tst_UvcRecords::statusBlockReflectsTheRecords()
{
    QFETCH(int, productIndex);
    QFETCH(int, platformIndex);
    QFETCH(QByteArray, block);
    SimCameraModel model;
    model.productIndex = uint8_t(productIndex);
    model.platformIndex = uint8_t(platformIndex);
    InitedCamera sim(model);
    QVERIFY(sim.inited);
    UvcDevice& d = *sim.device;
    QCOMPARE(d.cameraSetMediaMode(UvcDevice::MediaModeAutoFraming), 0);
    QCOMPARE(d.cameraSetHdr(true), 0);
    QCOMPARE(d.cameraSetFaceAE(1), 0);
    QCOMPARE(d.cameraSetFov(1), 0);
    QCOMPARE(d.cameraSetBgMode(UvcDevice::MediaBgBlur), 0);
    QCOMPARE(d.cameraSetMaskLevel(40), 0);
    QCOMPARE(d.cameraSetNoiseCancellation(1), 0);
    QCOMPARE(d.cameraSetSuspendTime(-600), 0);
    QCOMPARE(d.cameraSetVerticalMode(1), 0);
    QCOMPARE(d.cameraSetAutoFramingMode(1, 1), 0);
    QCOMPARE(d.cameraSetImageReplace(0, 2), 0);
    QCOMPARE(d.cameraSetBgEnable(true), 0);
    CameraStatus status;
    QVERIFY(d.getCameraStatus(status));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(status.bytes), 27).toHex(), block);
    // Read back through the family's own accessors.
    const int type = d.getProductType();
    QVERIFY(status.faceAeOn(type));
    QVERIFY(status.noiseCancellationOn(type));
    QCOMPARE(int(status.field(CameraStatus::Field::AutoSleep, type)), -600);
    QCOMPARE(status.zoomPosition(type), 0);
}

void tst_UvcRecords::shortAndFailedWrites_data()
{
    QTest::addColumn<int>("recordBytes");
    QTest::addColumn<bool>("fails");
    QTest::newRow("59 bytes taken") << 59 << false;
    QTest::newRow("nothing taken") << 0 << false;
    QTest::newRow("transfer fails") << 60 << true;
}

void tst_UvcRecords::shortAndFailedWrites()
{
    QFETCH(int, recordBytes);
    QFETCH(bool, fails);
    SimCameraModel model;
    model.knobs.recordWriteBytes = recordBytes;
    model.knobs.setFailsOnSelector = fails ? 6 : -1;
    InitedCamera sim(model);
    QTest::ignoreMessage(QtCriticalMsg, "cameraSetHdr 1 failed");
    QCOMPARE(sim.device->cameraSetHdr(true), -1);
    QTest::ignoreMessage(QtCriticalMsg, "cameraSetSuspendTime 11 failed");
    QCOMPARE(sim.device->cameraSetSuspendTime(30), -1);
    for (const RecordCall& call : everyRecordMethod()) {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(" failed$"));
        QCOMPARE(call(*sim.device), -1);
    }
    CameraStatus status;
    QVERIFY(sim.device->getCameraStatus(status));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(status.bytes), 60), QByteArray(60, '\0'));
}

void tst_UvcRecords::guards_data()
{
    addGuardRows();
}

void tst_UvcRecords::guards()
{
    GuardedCamera sim;
    for (const RecordCall& call : everyRecordMethod()) {
        sim.expectRefusal();
        QCOMPARE(call(sim.device()), -1);
    }
    QVERIFY(sim.nothingSent());
}

void tst_UvcRecords::faceFocusSet()
{
    InitedCamera sim;
    QCOMPARE(sim.device->cameraSetFaceFocus(true), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!sim.camera->writtenFrames().isEmpty(), 5000);
    const QByteArray frame = sim.camera->writtenFrames().last();
    // Built with flags 0x12; queued without a response wanted, which clears bit 1.
    QCOMPARE(frame.left(4).toHex(), QByteArray("aa000d10"));
    QCOMPARE(frame.mid(8, 5).toHex(), QByteArray("00e113d201"));
    QCOMPARE(frame.mid(13), QByteArray(47, '\0'));

    sim.device->setSystemType(2);
    QTest::ignoreMessage(QtWarningMsg, "Only supported in main sys");
    QCOMPARE(sim.device->cameraSetFaceFocus(false), -1);
}

void tst_UvcRecords::faceFocusGet_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("result");
    QTest::newRow("on") << QByteArray::fromHex("01") << 1;
    QTest::newRow("off") << QByteArray::fromHex("00") << 0;
    QTest::newRow("signed byte") << QByteArray::fromHex("ff07") << -1;
    QTest::newRow("no data") << QByteArray() << 0;
}

void tst_UvcRecords::faceFocusGet()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, result);
    InitedCamera sim;
    sim.camera->setReply(0x11D2, reply);
    QCOMPARE(sim.device->cameraGetFaceFocus(), result);
    const QByteArray frame = sim.camera->writtenFrames().last();
    QCOMPARE(frame.left(4).toHex(), QByteArray("aa000c12"));
    QCOMPARE(frame.mid(8, 4).toHex(), QByteArray("00e111d2"));
}

void tst_UvcRecords::faceFocusGetFails()
{
    SimCameraModel model;
    InitedCamera sim(model);
    SimKnobs knobs = sim.camera->knobs();
    knobs.noReply = true;
    sim.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtCriticalMsg, "Error occurred in sendMsgSync, ret_val = 5");
    QCOMPARE(sim.device->cameraGetFaceFocus(), 0);

    sim.device->setDevMode(UvcDevice::DevModeNet);
    QTest::ignoreMessage(QtCriticalMsg, "Net mode not supported");
    QCOMPARE(sim.device->cameraGetFaceFocus(), -1);
    sim.device->setDevMode(UvcDevice::DevModeUvc);
}

void tst_UvcRecords::faceFocusGetNonBlocking()
{
    InitedCamera sim;
    sim.camera->setReply(0x11D2, QByteArray::fromHex("01"));
    Receiver receiver;
    QCOMPARE(sim.device->cameraGetFaceFocus(QSharedPointer<QString>::create("onFaceFocus"), &receiver,
                                            UvcDevice::GetMethodNonBlock),
             int(UvcDevice::ErrSuccess));
    QTRY_COMPARE_WITH_TIMEOUT(receiver.calls.load(), 1, 5000);
    QCOMPARE(receiver.value.load(), 1);
}

QTEST_GUILESS_MAIN(tst_UvcRecords)
#include "tst_uvcrecords.moc"
