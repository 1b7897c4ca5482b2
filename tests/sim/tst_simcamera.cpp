// The simulated camera as a test double must answer like a camera: message
// frames on selector 2 with its fault knobs, the status block and how it
// follows the controls, a factory reset, deleted pictures, the request log,
// plugging, and the change of address that takes it to its network.

#include "comm/CameraRoutes.h"
#include "comm/Util.h"
#include "platform/DeviceBackend.h"
#include "sim/SimBackend.h"
#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
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

QByteArray statusOf(SimCamera& camera)
{
    QByteArray block(60, '\0');
    camera.controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, kXu, 6,
                          reinterpret_cast<uint8_t*>(block.data()), block.size());
    return block;
}

// An Orla, or a Zuki ("Kestro_zuki_2P" on the SSC336Q).
SimCameraModel family(const QString& name)
{
    SimCameraModel model;
    if (name == QLatin1String("Zuki"))
        model.productIndex = 2;
    return model;
}

// One HTTP exchange with a server on loopback that closes after its answer:
// the answer's body.
QByteArray httpBody(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return QByteArray();
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

const QByteArray kMask0("/app/private/mask0.jpg");
const QByteArray kMask2("/app/private/mask2.jpg");

} // namespace

class tst_SimCamera : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void messageReplies_data();
    void messageReplies();
    void replyToSecondCopyOnly();
    void slowReplyIsReadableLater();
    void noResponseRequestedNoReply();
    void badRequestIsDropped();
    void statusBlock();
    void statusFollowsControls_data();
    void statusFollowsControls();
    void factoryReset_data();
    void factoryReset();
    void imageRecords_data();
    void imageRecords();
    void requestsNeedTheRightUnitAndAnOpenInterface();
    void backendPlugAndHotPlug();
    void stopHotPlugWaitsForAReportUnderWay();
    void addressChangeTakesItToItsNetwork_data();
    void addressChangeTakesItToItsNetwork();
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

// A control the host sets shows in the status block where the family
// reports it: the zoom as its place in the range (100..500 here), focus,
// auto focus and the power-line frequency as they are.
void tst_SimCamera::statusFollowsControls_data()
{
    QTest::addColumn<QString>("camera");
    QTest::addColumn<QString>("status");  // as plugged
    QTest::addColumn<QString>("write");   // controls set, as the host sends them
    QTest::addColumn<QString>("after");   // the status block then

    QTest::newRow("Orla zoom half way") << "Orla" << "8=32" << "CT:0B=2c01" << "8=32";
    QTest::newRow("Orla zoom from 1.5x to 2x") << "Orla" << "8=32" << "CT:0B=f401" << "8=64";
    QTest::newRow("Orla zoom 12.5 goes up") << "Orla" << "8=32" << "CT:0B=9600" << "8=0d";
    QTest::newRow("Orla zoom back to 1x") << "Orla" << "8=32" << "CT:0B=6400" << "";
    QTest::newRow("Zuki zoom") << "Zuki" << "" << "CT:0B=2c01" << "4=32";
    QTest::newRow("Orla anti-flicker 60 Hz") << "Orla" << "7=01" << "PU:05=02" << "7=02";
    QTest::newRow("Orla anti-flicker off") << "Orla" << "7=01" << "PU:05=00" << "";
    QTest::newRow("Zuki anti-flicker 50 Hz") << "Zuki" << "" << "PU:05=01" << "3=01";
    QTest::newRow("Orla auto focus off at 128") << "Orla" << "24=01" << "CT:08=00 CT:06=8000" << "25=80";
    QTest::newRow("Orla focus beyond a byte shows 255") << "Orla" << "" << "CT:06=ff03" << "25=ff";
    QTest::newRow("Zuki reports no focus") << "Zuki" << "" << "CT:08=00 CT:06=8000" << "";
    QTest::newRow("contrast reports nowhere") << "Orla" << "2=01" << "PU:03=1e00" << "2=01";
}

void tst_SimCamera::statusFollowsControls()
{
    QFETCH(QString, camera);
    QFETCH(QString, status);
    QFETCH(QString, write);
    QFETCH(QString, after);
    SimCameraModel model = family(camera);
    model.statusBlock = statusBytes(status);
    SimCamera sim(model);
    QVERIFY(sim.openControlInterface());
    for (const QString& change : write.split(QLatin1Char(' '))) {
        const bool ct = change.startsWith(QLatin1String("CT"));
        QByteArray value = QByteArray::fromHex(change.section(QLatin1Char('='), 1).toLatin1());
        QCOMPARE(sim.controlRequest(UvcRequest::SetCur, ct ? UvcUnitKind::CameraTerminal : UvcUnitKind::ProcessingUnit,
                                    ct ? 1 : 2, uint8_t(change.mid(3, 2).toUInt(nullptr, 16)),
                                    reinterpret_cast<uint8_t*>(value.data()), value.size()),
                 value.size());
    }
    QCOMPARE(statusOf(sim).toHex(), statusBytes(after).toHex());
}

void tst_SimCamera::factoryReset_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<bool>("reset");
    QTest::newRow("restore") << "01" << true;
    QTest::newRow("payload 0 is no restore") << "00" << false;
}

// The controls go back to their defaults and the status block to the
// factory's, zoom, anti-flicker and auto focus with them; the camera stays
// awake and answers the command as it answers any.
void tst_SimCamera::factoryReset()
{
    QFETCH(QString, payload);
    QFETCH(bool, reset);
    SimCameraModel model = withControls(SimCameraModel(), QStringLiteral("CT:0B=2c01 PU:05=02 PU:03=1e00"));
    model.statusBlock = statusBytes(QStringLiteral("1=01 2=01 7=02 8=32 14=01"));
    model.factoryStatusBlock = statusBytes(QStringLiteral("14=01"));
    InitedCamera cam(model);
    QVERIFY(cam.inited);
    const QByteArray before = statusOf(*cam.camera);
    QByteArray reply;
    ProtocolMsg::FrmPacket faceFocus = makeFrame(0x13D2, 0xE1, QByteArray::fromHex("01"));
    QCOMPARE(cam.device->sendMsgSync(faceFocus, reply), UvcDevice::ErrSuccess);
    ProtocolMsg::FrmPacket frame = makeFrame(0x13C4, 0xE1, QByteArray::fromHex(payload.toLatin1()));
    QCOMPARE(cam.device->sendMsgSync(frame, reply), UvcDevice::ErrSuccess);
    QCOMPARE(reply.toHex(), payload.toLatin1());
    ProtocolMsg::FrmPacket faceFocusQuery = makeFrame(0x11D2, 0xE1, QByteArray());
    QCOMPARE(cam.device->sendMsgSync(faceFocusQuery, reply), UvcDevice::ErrSuccess);
    QCOMPARE(reply.toHex(), reset ? "00" : "01"); // what was set is forgotten too
    const QByteArray after = reset ? statusBytes(QStringLiteral("2=01 7=01 14=01 24=01")) : before;
    QCOMPARE(statusOf(*cam.camera).toHex(), after.toHex());
    QCOMPARE(cam.camera->controlValue(UvcUnitKind::CameraTerminal, 0x0B).toHex(), reset ? "6400" : "2c01");
    QCOMPARE(cam.camera->controlValue(UvcUnitKind::ProcessingUnit, 0x03).toHex(), reset ? "3200" : "1e00");
}

// The image record names a picture by index: operation 1 deletes it from
// the camera, operation 0 selects it.
void tst_SimCamera::imageRecords_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("mask0Kept");
    QTest::addColumn<bool>("mask2Kept");
    QTest::addColumn<int>("selected");  // status byte 20
    QTest::newRow("delete 2") << 1 << 2 << true << false << 0;
    QTest::newRow("delete 0") << 1 << 0 << false << true << 0;
    QTest::newRow("select 2") << 0 << 2 << true << true << 2;
    QTest::newRow("delete 3: none such") << 1 << 3 << true << true << 0;
}

void tst_SimCamera::imageRecords()
{
    QFETCH(int, operation);
    QFETCH(int, index);
    QFETCH(bool, mask0Kept);
    QFETCH(bool, mask2Kept);
    QFETCH(int, selected);
    SimCameraModel model;
    model.pictures = {{kMask0, "default"}, {kMask2, "the user's"}};
    InitedCamera cam(model);
    QVERIFY(cam.inited);
    QCOMPARE(cam.device->cameraSetImageReplace(operation, index), 0);
    QCOMPARE(cam.camera->pictures().picture(kMask0).isEmpty(), !mask0Kept);
    QCOMPARE(cam.camera->pictures().picture(kMask2).isEmpty(), !mask2Kept);
    QCOMPARE(int(statusOf(*cam.camera).at(20)), selected);
    if (mask2Kept)
        return;
    // The host asks for the thumbnail again: the camera has none.
    QSignalSpy done(cam.device.data(), &UvcDevice::fileDownloadDone);
    cam.device->setThumbnailPath(2, home_.path() + QStringLiteral("/mask2.jpg"));
    QVERIFY(cam.device->startFileDownloadAsync(UvcDevice::ImageTransType(4)));
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
    QCOMPARE(done.first().at(1).toInt(), 255);
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

void tst_SimCamera::addressChangeTakesItToItsNetwork_data()
{
    QTest::addColumn<QByteArray>("frame");  // no reply wanted
    QTest::addColumn<int>("systemType");
    QTest::addColumn<bool>("staysOnUsb");
    QTest::addColumn<bool>("goes");
    const QByteArray toNetwork("AA001110123420F500E880640A59007F03");  // 127.0.89.10, server mode 3
    QTest::newRow("main system") << toNetwork << 1 << false << true;
    QTest::newRow("server mode 0") << QByteArray("AA001110123421B500E880640A59007F00") << 1 << false << false;
    QTest::newRow("upgrade system") << toNetwork << 2 << false << false;
    QTest::newRow("kept on USB by its knob") << toNetwork << 1 << true << false;
}

// Told a new address on its main system, the camera leaves USB and comes
// back in network operation there (it used to take the frame and stay):
// reported so, without a video-control interface, its identity served over
// HTTP on loopback for that address, whose host side this computer then
// has; the reboot asked for there brings it back onto USB.
void tst_SimCamera::addressChangeTakesItToItsNetwork()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, systemType);
    QFETCH(bool, staysOnUsb);
    QFETCH(bool, goes);
    const QString address = QStringLiteral("127.0.89.10");
    SimBackend backend;
    SimCameraModel model;
    model.usb.locationId = 0x400;
    model.systemType = int8_t(systemType);
    model.knobs.staysOnUsb = staysOnUsb;
    model.rebootDelayMs = 10;
    const QSharedPointer<SimCamera> camera = backend.plug(model);
    QVERIFY(camera->openControlInterface());
    QCOMPARE(writeFrame(*camera, padded(frame.constData())), 60);
    const auto networkAt = [&backend](UsbDeviceInfo* info) {
        return backend.findDevice(0x400, info) && info->network;
    };
    UsbDeviceInfo info;
    if (!goes) {
        QTest::qWait(100);
        QCOMPARE(backend.camera(0x400), camera);
        QCOMPARE(CameraRoutes::reach(address, 10086).port, quint16(10086));
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(networkAt(&info), 5000);
    QVERIFY(!backend.camera(0x400)->openControlInterface());
    const CameraRoutes::Endpoint endpoint = CameraRoutes::reach(address, 10086);
    QCOMPARE(endpoint.host, QStringLiteral("127.0.0.1"));
    QVERIFY(Util::getLocalIpList().contains(QStringLiteral("127.0.89.20")));
    const QJsonObject identity = QJsonDocument::fromJson(
        httpBody(endpoint.port, "POST /query_device_info HTTP/1.1\r\ncontent-length: 0\r\n\r\n")).object();
    QCOMPARE(identity, QJsonObject({{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
                                    {"status", "release"}, {"version", "1.0.3.7"},
                                    {"seqid", "4B4553545230314F524C41000000000000000000A1B2C3D4"},
                                    {"devsn", "OR22A0000001"}, {"systype", 1}, {"socver", 2}}));
    QCOMPARE(httpBody(endpoint.port, "POST /run_shell_script HTTP/1.1\r\ncontent-length: 6\r\n\r\nreboot"),
             QByteArray(R"({"errorcode":"200"})"));
    QTRY_VERIFY_WITH_TIMEOUT(backend.findDevice(0x400, &info) && !info.network, 5000);
    QCOMPARE(CameraRoutes::reach(address, 10086).port, quint16(10086));
    QVERIFY(!Util::getLocalIpList().contains(QStringLiteral("127.0.89.20")));
}

QTEST_GUILESS_MAIN(tst_SimCamera)
#include "tst_simcamera.moc"
