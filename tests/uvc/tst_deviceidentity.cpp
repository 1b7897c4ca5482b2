// The identity part on its own: initialisation over a running message
// channel and its control transport, with no camera object, the network-mode queries
// going to the given functions instead of frames, and the wait for a
// network address, which sleeps rather than running an event loop.

#include "support/ChannelRig.h"
#include "support/HandlePorts.h"
#include "support/SimFixture.h"
#include "support/TestHome.h"

#include "comm/Util.h"
#include "uvc/DeviceIdentity.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace vesk::pc;

namespace {

const QByteArray kUuidHex = "4B4553545230314F524C41000000000000000000A1B2C3D4";

// Network functions that count their calls and answer fixed values.
struct CountedQueries
{
    std::atomic<int> calls{0};
    std::atomic<int> changes{0};

    DeviceIdentity::NetworkQueries queries()
    {
        DeviceIdentity::NetworkQueries network;
        network.version = [this] { ++calls; return QStringLiteral("2.0.0.1"); };
        network.uuid = [this] { ++calls; return QByteArray::fromHex(kUuidHex); };
        network.info = [this] { ++calls; return QJsonObject{{"systype", 2}}; };
        network.changeIp = [this](const QString&) { ++changes; return 0; };
        return network;
    }
};

} // namespace

class tst_DeviceIdentity : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void initOverTheCameraPorts();
    void networkQueriesSendNoFrames_data();
    void networkQueriesSendNoFrames();
    void addressWaitRunsNoEventLoop();
};

void tst_DeviceIdentity::initOverTheCameraPorts()
{
    ChannelRig rig;
    QVERIFY(rig.open());
    CountedQueries counted;
    DeviceIdentity identity(rig.channel, rig.transport, counted.queries());
    const DeviceIdentity::InitResult result = identity.initDev(false, 1);
    QVERIFY(result.inited);
    QCOMPARE(result.systemType, 1);
    const QList<QByteArray> expected = {padded60("AA000C12000067F500E88060"),
                                        padded60("AA000C12000143E400E88010"),
                                        padded60("AA000C120002A41600E88065"),
                                        padded60("AA000C120003668600E88063")};
    QCOMPARE(rig.camera->writtenFrames(), expected);
    const DeviceIdentity::Identity known = identity.identity();
    QCOMPARE(known.uuid.toHex().toUpper(), kUuidHex);
    QCOMPARE(known.version, QStringLiteral("1.0.3.7"));
    QCOMPARE(known.name, QStringLiteral("KESTRO_OrlaCam_OR22A0000001"));
    QCOMPARE(known.socVersion, 2);
    QCOMPARE(identity.getProductType(), 2);
    QCOMPARE(counted.calls.load(), 0);
}

void tst_DeviceIdentity::networkQueriesSendNoFrames_data()
{
    QTest::addColumn<int>("query");  // 0 version, 1 uuid, 2 info, 3 serial
    QTest::addColumn<int>("calls");
    QTest::newRow("version") << 0 << 1;
    QTest::newRow("uuid") << 1 << 1;
    QTest::newRow("info") << 2 << 1;
    QTest::newRow("serial is refused") << 3 << 0;
}

void tst_DeviceIdentity::networkQueriesSendNoFrames()
{
    QFETCH(int, query);
    QFETCH(int, calls);
    HandlePorts ports;
    int frames = 0;
    ports.answer = [&frames](ProtocolMsg::FrmPacket&, QByteArray&) {
        ++frames;
        return MessageResult::ErrNoReply;
    };
    CountedQueries counted;
    DeviceIdentity identity(ports, ports, counted.queries());
    switch (query) {
    case 0: QCOMPARE(identity.queryDevVersion(true), QStringLiteral("2.0.0.1")); break;
    case 1: QCOMPARE(identity.queryDevUuid(true).toHex().toUpper(), kUuidHex); break;
    case 2: QCOMPARE(identity.queryDevInfo(true).value("systype").toInt(), 2); break;
    default:
        QTest::ignoreMessage(QtCriticalMsg, "Net mode not supported");
        QVERIFY(identity.queryDevSn(true).isEmpty());
    }
    QCOMPARE(counted.calls.load(), calls);
    QCOMPARE(frames, 0);
    QVERIFY(ports.camera->requests().isEmpty());
}

// The wait runs on the registry's thread: an event posted to that thread
// before the wait must still be waiting when it ends.
void tst_DeviceIdentity::addressWaitRunsNoEventLoop()
{
    Util::setLocalIpSource([] { return QStringList{QStringLiteral("127.0.0.1")}; });
    HandlePorts ports;
    UvcTiming timing = UvcTiming::defaults();
    timing.netAddressAttempts = 3;
    timing.netAddressWaitMs = 30;
    ports.setTiming(timing);
    CountedQueries counted;
    DeviceIdentity identity(ports, ports, counted.queries());
    bool eventRan = false;
    QTimer::singleShot(0, this, [&eventRan] { eventRan = true; });
    QElapsedTimer clock;
    clock.start();
    QTest::ignoreMessage(QtCriticalMsg, "There is no new device inserted");
    const DeviceIdentity::InitResult result = identity.initDev(true, 0);
    const qint64 took = clock.elapsed();
    QVERIFY(!result.inited);
    QCOMPARE(result.systemType, -1);
    QVERIFY2(took >= 80 && took < 5000, qPrintable(QString::number(took)));
    QVERIFY(!eventRan);
    QCOMPARE(counted.calls.load(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(eventRan, 5000);  // it was due all along
    Util::setLocalIpSource(nullptr);
}

QTEST_GUILESS_MAIN(tst_DeviceIdentity)
#include "tst_deviceidentity.moc"
