// The simulated camera as a test double must answer like a camera: message
// frames on selector 2 with its fault knobs, the status block, the standard
// controls, the request log and plugging.

#include "platform/DeviceBackend.h"
#include "platform/sim/SimBackend.h"

#include <QtTest>

#include <atomic>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimKnobs)

namespace {

constexpr uint8_t kXu = 3;

QByteArray padded(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append(QByteArray(60 - bytes.size(), '\0'));
    return bytes;
}

int writeFrame(SimCamera& camera, QByteArray block)
{
    return camera.controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, kXu, 2,
                                 reinterpret_cast<uint8_t*>(block.data()), block.size());
}

QByteArray readFrame(SimCamera& camera, int* moved = nullptr)
{
    QByteArray block(60, '\x55');
    const int n = camera.controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, kXu, 2,
                                        reinterpret_cast<uint8_t*>(block.data()), block.size());
    if (moved)
        *moved = n;
    return block;
}

// seq 0x1234, command 0x13D2, payload 01, response requested
const char* const kRequest = "AA000D121234927300E113D201";

} // namespace

class tst_SimCamera : public QObject
{
    Q_OBJECT
private slots:
    void messageReplies_data();
    void messageReplies();
    void replyToSecondCopyOnly();
    void slowReplyIsReadableLater();
    void noResponseRequestedNoReply();
    void badRequestIsDropped();
    void statusBlock();
    void requestsNeedTheRightUnitAndAnOpenInterface();
    void backendPlugAndHotPlug();
    void stopHotPlugWaitsForAReportUnderWay();
};

void tst_SimCamera::messageReplies_data()
{
    QTest::addColumn<SimKnobs>("knobs");
    QTest::addColumn<QByteArray>("reply");

    SimKnobs knobs;
    QTest::newRow("echo") << knobs << padded("AA000E0112349E18001E13D20001");
    knobs = {};
    knobs.version2Replies = true;
    QTest::newRow("version 2") << knobs << padded("AA200E0112340771E91E13D20001");
    knobs = {};
    knobs.resultCode = 4;
    QTest::newRow("error result") << knobs << padded("AA000E0112345E1A001E13D20401");
    knobs = {};
    knobs.wrongReceiver = true;
    QTest::newRow("wrong receiver") << knobs << padded("AA000E0112349F4C001113D20001");
    knobs = {};
    knobs.badCrc = true;
    QTest::newRow("bad crc") << knobs << padded("AA000E0112349EE7001E13D20001");
    knobs = {};
    knobs.replyFrameLength = 12;
    QTest::newRow("header only") << knobs << padded("AA000C011234F6D5001E13D2");
    knobs = {};
    knobs.noReply = true;
    QTest::newRow("no reply") << knobs << QByteArray(60, '\0');
}

void tst_SimCamera::messageReplies()
{
    QFETCH(SimKnobs, knobs);
    QFETCH(QByteArray, reply);
    SimCameraModel model;
    model.knobs = knobs;
    SimCamera camera(model);
    QVERIFY(camera.openControlInterface());
    QCOMPARE(writeFrame(camera, padded(kRequest)), 60);
    int moved = 0;
    QCOMPARE(readFrame(camera, &moved).toHex(), reply.toHex());
    QCOMPARE(moved, 60);
    QCOMPARE(readFrame(camera).toHex(), QByteArray(60, '\0').toHex());  // one reply per request
}

void tst_SimCamera::replyToSecondCopyOnly()
{
    SimCameraModel model;
    model.knobs.replyToSecondCopyOnly = true;
    SimCamera camera(model);
    camera.openControlInterface();
    writeFrame(camera, padded(kRequest));
    QCOMPARE(camera.pendingReplies(), 0);
    writeFrame(camera, padded(kRequest));
    QCOMPARE(readFrame(camera).toHex(), padded("AA000E0112349E18001E13D20001").toHex());
}

void tst_SimCamera::slowReplyIsReadableLater()
{
    SimCameraModel model;
    model.knobs.replyDelayMs = 80;
    SimCamera camera(model);
    camera.openControlInterface();
    QElapsedTimer timer;
    timer.start();
    writeFrame(camera, padded(kRequest));
    QCOMPARE(readFrame(camera), QByteArray(60, '\0'));
    QByteArray reply = readFrame(camera);
    while (reply.at(0) != char(0xAA) && timer.elapsed() < 2000) {
        QTest::qWait(5);
        reply = readFrame(camera);
    }
    QCOMPARE(reply.toHex(), padded("AA000E0112349E18001E13D20001").toHex());
    QVERIFY(timer.elapsed() >= 70);
}

void tst_SimCamera::noResponseRequestedNoReply()
{
    SimCamera camera{SimCameraModel()};
    camera.openControlInterface();
    writeFrame(camera, padded("AA000D10123458D200E113D201"));  // flags 0x10
    QCOMPARE(camera.pendingReplies(), 0);
    QCOMPARE(camera.droppedFrames(), 0);
}

void tst_SimCamera::badRequestIsDropped()
{
    SimCamera camera{SimCameraModel()};
    camera.openControlInterface();
    QTest::ignoreMessage(QtWarningMsg, "Simulated camera dropped a bad frame");
    writeFrame(camera, padded("AA000D121234927400E113D201"));  // CRC off by one
    QCOMPARE(camera.droppedFrames(), 1);
    QCOMPARE(camera.pendingReplies(), 0);
}

void tst_SimCamera::statusBlock()
{
    SimCameraModel model;
    model.statusBlock = QByteArray::fromHex("0102030405");
    SimCamera camera(model);
    camera.openControlInterface();
    QByteArray block(60, '\x55');
    QCOMPARE(camera.controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, kXu, 6,
                                   reinterpret_cast<uint8_t*>(block.data()), 60), 60);
    QCOMPARE(block, QByteArray::fromHex("0102030405") + QByteArray(55, '\0'));

    SimKnobs knobs;
    knobs.statusReadBytes = 0;
    camera.setKnobs(knobs);
    QCOMPARE(camera.controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, kXu, 6,
                                   reinterpret_cast<uint8_t*>(block.data()), 60), 0);
}

void tst_SimCamera::requestsNeedTheRightUnitAndAnOpenInterface()
{
    SimCameraModel model;
    model.extensionUnitId = 4;
    SimCamera camera(model);
    QByteArray block = padded(kRequest);
    QCOMPARE(camera.controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 4, 2,
                                   reinterpret_cast<uint8_t*>(block.data()), 60), -1);  // not open
    QVERIFY(camera.openControlInterface());
    QCOMPARE(writeFrame(camera, block), -1);  // unit 3 is not the extension unit any more
    QCOMPARE(camera.controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 4, 2,
                                   reinterpret_cast<uint8_t*>(block.data()), 60), 60);
    camera.unplug();
    QCOMPARE(camera.controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 4, 2,
                                   reinterpret_cast<uint8_t*>(block.data()), 60), -1);
    QVERIFY(!camera.openControlInterface());
}

void tst_SimCamera::backendPlugAndHotPlug()
{
    SimBackend backend;
    SimCameraModel first;
    first.usb.locationId = 0x100;
    backend.plug(first);
    QList<QPair<uint32_t, bool>> events;
    backend.startHotPlug([&](const UsbDeviceInfo& device, bool arrived) {
        events.append({device.locationId, arrived});
    });
    SimCameraModel second;
    second.usb.locationId = 0x200;
    backend.plug(second);
    QCOMPARE(backend.devices().size(), 2);
    UsbDeviceInfo info;
    QVERIFY(backend.findDevice(0x200, &info));
    QCOMPARE(info.vendorId, second.usb.vendorId);
    QVERIFY(backend.openDevice(0x100));
    QVERIFY(backend.unplug(0x100));
    QVERIFY(!backend.unplug(0x100));
    QVERIFY(!backend.openDevice(0x100));
    backend.stopHotPlug();
    backend.unplug(0x200);
    const QList<QPair<uint32_t, bool>> expected = {{0x100, true}, {0x200, true}, {0x100, false}};
    QCOMPARE(events, expected);
}

void tst_SimCamera::stopHotPlugWaitsForAReportUnderWay()
{
    SimBackend backend;
    std::atomic<int> entered{0};
    std::atomic<int> running{0};
    backend.startHotPlug([&](const UsbDeviceInfo&, bool) {
        ++running;
        ++entered;
        QThread::msleep(300);  // a listener still busy with the report
        --running;
    });
    QThread* plugger = QThread::create([&backend] {
        SimCameraModel model;
        model.usb.locationId = 0x300;
        backend.plug(model);
    });
    plugger->start();
    QTRY_COMPARE_WITH_TIMEOUT(entered.load(), 1, 5000);
    backend.stopHotPlug();
    const int runningAfterStop = running.load();
    const bool ended = plugger->wait(5000);
    if (ended)
        delete plugger;  // a running thread is never deleted
    QVERIFY(ended);
    // After stopHotPlug no listener runs, so its owner may go at once.
    QCOMPARE(runningAfterStop, 0);
    backend.unplug(0x300);
    QCOMPARE(entered.load(), 1);
}

QTEST_GUILESS_MAIN(tst_SimCamera)
#include "tst_simcamera.moc"
