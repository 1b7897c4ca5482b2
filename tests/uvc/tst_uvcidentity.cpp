// Identity and initialisation against simulated cameras, and the status
// block read: decoding of every identity reply, short and malformed replies,
// the serial-number rules, product types, the upgrade question and a whole
// initDev on the wire.

#include "support/SimFixture.h"
#include "support/TestHome.h"
#include "comm/Util.h"

#include <QJsonDocument>
#include <QtTest>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimCameraModel)

namespace {

// An opened camera; initialised unless told not to.
struct Camera : SimFixture
{
    bool inited = false;
    explicit Camera(const SimCameraModel& model = SimCameraModel(), bool init = true)
        : SimFixture(model)
    {
        if (device->open() == 0 && init)
            inited = device->initDev();
    }
};

SimCameraModel withReply(uint16_t command, const QByteArray& data)
{
    SimCameraModel model;
    model.replies.insert(command, data);
    return model;
}

const QByteArray kUuidHex = "4B4553545230314F524C41000000000000000000A1B2C3D4";

} // namespace

class tst_UvcIdentity : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void wholeInitDevOnTheWire();
    void openInitialiseExchangePollAndClose();
    void queriesNeedAnInitialisedCamera();
    void failedStepsLeaveTheCameraUninitialised_data();
    void failedStepsLeaveTheCameraUninitialised();
    void shortInfoFallsBackToTheUuid();
    void badInfoIndices_data();
    void badInfoIndices();
    void serialNumbers_data();
    void serialNumbers();
    void productTypes_data();
    void productTypes();
    void upgradeQuestion_data();
    void upgradeQuestion();
    void networkModeWithoutAddress();
    void statusBlockRead();
    void statusBlockRefusals();
};

void tst_UvcIdentity::wholeInitDevOnTheWire()
{
    Camera camera;
    QVERIFY(camera.inited);
    QVERIFY(camera.device->isInited());
    const QList<QByteArray> expected = {padded60("AA000C12000067F500E88060"),
                                        padded60("AA000C12000143E400E88010"),
                                        padded60("AA000C120002A41600E88065"),
                                        padded60("AA000C120003668600E88063")};
    QCOMPARE(camera.camera->writtenFrames(), expected);

    QCOMPARE(camera.device->uuid().toHex().toUpper(), kUuidHex);
    QCOMPARE(camera.device->devVersion(), QStringLiteral("1.0.3.7"));
    QCOMPARE(camera.device->sn(), QStringLiteral("OR22A0000001"));
    QCOMPARE(camera.device->devName(), QStringLiteral("KESTRO_OrlaCam_OR22A0000001"));
    QCOMPARE(camera.device->systemType(), 1);
    QCOMPARE(camera.device->socVersion(), 2);
    QVERIFY(!camera.device->ipAddr().isEmpty());
    const QByteArray info = QJsonDocument(camera.device->devInfo()).toJson(QJsonDocument::Compact);
    QCOMPARE(info, QByteArray("{\"branch\":\"OA_E\",\"devsn\":\"OR22A0000001\",\"platform\":\"SSC336Q\","
                              "\"product\":\"Kestro_orla\",\"seqid\":\"" + kUuidHex + "\","
                              "\"socver\":2,\"status\":\"release\",\"systype\":1,\"version\":\"1.0.3.7\"}"));
    QCOMPARE(camera.device->getProductType(), 2);
    QVERIFY(!camera.device->is4K());
    const QByteArray server = QJsonDocument(camera.device->getDevInfoForServer()).toJson(QJsonDocument::Compact);
    QCOMPARE(server, QByteArray("{\"branch\":\"OA_E\",\"platform\":\"SSC336Q\",\"product\":\"KESTRO Orla\","
                                "\"sn\":\"OR22A0000001\",\"version\":\"1.0.3.7\"}"));
    // Once initialised the public queries answer too.
    QCOMPARE(camera.device->getDevVersion(), QStringLiteral("1.0.3.7"));
    QCOMPARE(camera.device->getDevSn(), QStringLiteral("OR22A0000001"));
}

void tst_UvcIdentity::openInitialiseExchangePollAndClose()
{
    SimCameraModel model;
    model.statusBlock = QByteArray::fromHex("0200010000");
    Camera camera(model);
    QVERIFY(camera.inited);
    std::atomic<int> answered{0};
    camera.device->setStatusReportEnabled(true);
    QObject listener;
    std::atomic<int> updates{0};
    connect(camera.device.data(), &UvcDevice::devStateUpdate, &listener,
            [&](const CameraStatus& status) { updates += status.mediaMode(2) == CameraStatus::MediaAutoFraming; },
            Qt::QueuedConnection);
    QList<QThread*> callers;
    for (int t = 0; t < 4; ++t) {
        callers << QThread::create([&] {
            for (int r = 0; r < 5; ++r)
                answered += camera.device->getDevVersion() == QLatin1String("1.0.3.7");
        });
        callers.last()->start();
    }
    for (QThread* caller : callers)
        QVERIFY(caller->wait(30000));
    qDeleteAll(callers);
    QCOMPARE(answered.load(), 20);
    QTRY_VERIFY_WITH_TIMEOUT(updates > 0, 5000);
    camera.device->close();
    QVERIFY(camera.device->isFinished());
    QVERIFY(!camera.camera->isControlInterfaceOpen());
}

void tst_UvcIdentity::queriesNeedAnInitialisedCamera()
{
    Camera camera(SimCameraModel(), false);
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QVERIFY(camera.device->getDevVersion().isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QVERIFY(camera.device->getDevUuid().isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QVERIFY(camera.device->getDevInfo().isEmpty());
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QVERIFY(camera.device->getDevSn().isEmpty());
    QVERIFY(camera.camera->writtenFrames().isEmpty());
}

void tst_UvcIdentity::failedStepsLeaveTheCameraUninitialised_data()
{
    QTest::addColumn<SimCameraModel>("model");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("uuid of 23 bytes") << withReply(0x8060, QByteArray(23, 'u'))
                                      << "Dev uuid length error, received length is 23";
    QTest::newRow("version of 3 bytes") << withReply(0x8010, QByteArray(3, 'v'))
                                        << "Dev version length error, received length is 3";
    SimCameraModel failing;
    failing.knobs.resultCode = 1;
    QTest::newRow("error reply") << failing << "Error occurred in sendMsgSync, ret_val = 6";
}

void tst_UvcIdentity::failedStepsLeaveTheCameraUninitialised()
{
    QFETCH(SimCameraModel, model);
    QFETCH(QString, logLine);
    QTest::ignoreMessage(QtWarningMsg, logLine.toUtf8().constData());
    Camera camera(model);
    QVERIFY(!camera.inited);
    QVERIFY(!camera.device->isInited());
    QVERIFY(camera.device->devName().isEmpty());
}

void tst_UvcIdentity::shortInfoFallsBackToTheUuid()
{
    QTest::ignoreMessage(QtWarningMsg, "Dev info length error, received length is 33");
    Camera camera(withReply(0x8065, QByteArray(33, '\0')));
    QVERIFY(camera.inited);
    QVERIFY(camera.device->devInfo().isEmpty());
    QCOMPARE(camera.device->sn(), QString::fromLatin1(kUuidHex.right(14)));
    QCOMPARE(camera.device->systemType(), 1);  // UVC mode counts as the main system
    QCOMPARE(camera.device->getProductType(), 5);
}

void tst_UvcIdentity::badInfoIndices_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("product 6") << 0 << 6 << "Error response: Product type = 6 Firmware type = 0 Platform type = 4 Device type = 0";
    QTest::newRow("branch 2") << 1 << 2 << "Error response: Product type = 4 Firmware type = 2 Platform type = 4 Device type = 0";
    QTest::newRow("platform 7") << 2 << 7 << "Error response: Product type = 4 Firmware type = 0 Platform type = 7 Device type = 0";
    QTest::newRow("status 3") << 3 << 3 << "Error response: Product type = 4 Firmware type = 0 Platform type = 4 Device type = 3";
}

void tst_UvcIdentity::badInfoIndices()
{
    QFETCH(int, byte);
    QFETCH(int, value);
    QFETCH(QString, logLine);
    SimCameraModel model;
    QByteArray info = model.identityReplies().value(0x8065);
    info[byte] = char(value);
    model.replies.insert(0x8065, info);
    QTest::ignoreMessage(QtCriticalMsg, logLine.toUtf8().constData());
    Camera camera(model);
    QVERIFY(camera.inited);
    QVERIFY(camera.device->devInfo().isEmpty());
    QCOMPARE(camera.device->sn(), QString::fromLatin1(kUuidHex.right(14)));
}

void tst_UvcIdentity::serialNumbers_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("sn");
    QTest::addColumn<QString>("name");
    QTest::newRow("three letters and NULs") << QByteArray("ABC") + QByteArray(11, '\0') << "ABC"
                                            << "KESTRO_OrlaCam_ABC";
    QTest::newRow("all 14") << QByteArray("or22a000000123") << "or22a000000123"
                            << "KESTRO_OrlaCam_OR22A000000123";
    QTest::newRow("unsafe characters") << QByteArray("../a b\\c:d-e_f") << "../a b\\c:d-e_f"
                                       << "KESTRO_OrlaCam_ABCD-E_F";
    QTest::newRow("wrong length") << QByteArray("SHORT") << QString::fromLatin1(kUuidHex.right(14))
                                  << "KESTRO_OrlaCam_" + QString::fromLatin1(kUuidHex.right(14));
}

void tst_UvcIdentity::serialNumbers()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, sn);
    QFETCH(QString, name);
    if (reply.size() != 14)
        QTest::ignoreMessage(QtWarningMsg, "Wrong sn length = 5");
    Camera camera(withReply(0x8063, reply));
    QVERIFY(camera.inited);
    QCOMPARE(camera.device->sn(), sn);
    QCOMPARE(camera.device->devInfo().value("devsn").toString(), sn);
    QCOMPARE(camera.device->devName(), name);
}

void tst_UvcIdentity::productTypes_data()
{
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("is4K");
    QTest::addColumn<QString>("serverName");
    QTest::newRow("zuki 4k") << 2 << 5 << 1 << true << "KESTRO Zuki4K";
    QTest::newRow("zuki on Hi3516DV300") << 2 << 2 << 0 << false << "KESTRO Zuki";
    QTest::newRow("zuki on Hi3516CV500") << 2 << 3 << 0 << false << "KESTRO Zuki";
    QTest::newRow("zuki on SSC336Q") << 2 << 4 << 0 << false << "KESTRO Zuki";
    QTest::newRow("zuki elsewhere") << 2 << 0 << 5 << false << "KESTRO Unknown";
    QTest::newRow("orla 4k") << 4 << 5 << 3 << true << "KESTRO Orla4K";
    QTest::newRow("orla") << 4 << 4 << 2 << false << "KESTRO Orla";
    QTest::newRow("orla elsewhere") << 4 << 6 << 5 << false << "KESTRO Unknown";
    QTest::newRow("ko") << 3 << 4 << 4 << false << QString();
    QTest::newRow("ko on SSC339G") << 3 << 5 << 5 << false << QString();
    QTest::newRow("fenn") << 0 << 0 << 5 << false << QString();
}

void tst_UvcIdentity::productTypes()
{
    QFETCH(int, product);
    QFETCH(int, platform);
    QFETCH(int, type);
    QFETCH(bool, is4K);
    QFETCH(QString, serverName);
    SimCameraModel model;
    model.productIndex = uint8_t(product);
    model.platformIndex = uint8_t(platform);
    Camera camera(model);
    QVERIFY(camera.inited);
    QCOMPARE(camera.device->getProductType(), type);
    QCOMPARE(camera.device->is4K(), is4K);
    const QJsonObject server = camera.device->getDevInfoForServer();
    QCOMPARE(server.contains("product"), !serverName.isEmpty());
    QCOMPARE(server.value("product").toString(), serverName);
}

void tst_UvcIdentity::upgradeQuestion_data()
{
    QTest::addColumn<QString>("latest");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    QTest::newRow("older by number, newer by text") << "1.2.3.9" << 0 << "Current firmware is up to date!";
    QTest::newRow("same") << "1.2.3.10" << 0 << "Current firmware is up to date!";
    QTest::newRow("newer") << "1.2.4.0" << 1 << "New firmware is available: 1.2.4.0!";
    QTest::newRow("unknown") << "" << 2 << "Cannot get latest firmware info from server!";
}

void tst_UvcIdentity::upgradeQuestion()
{
    QFETCH(QString, latest);
    QFETCH(int, result);
    QFETCH(QString, message);
    SimCameraModel model;
    model.version = 0x0102030A;  // 1.2.3.10
    Camera camera(model);
    QVERIFY(camera.inited);
    camera.device->setLatestVersion(latest);
    QString info;
    QCOMPARE(camera.device->isUpgradeNeeded(info), result);
    QCOMPARE(info, message);
    QCOMPARE(camera.device->upgradeNeeded(), result);
}

void tst_UvcIdentity::networkModeWithoutAddress()
{
    Util::setLocalIpSource([] { return QStringList{QStringLiteral("127.0.0.1")}; });
    SimFixture net(SimCameraModel(), UvcDevice::DevModeNet);
    UvcTiming timing = fastTiming();
    timing.netAddressAttempts = 2;
    net.device->setTiming(timing);
    QTest::ignoreMessage(QtCriticalMsg, "There is no new device inserted");
    QVERIFY(!net.device->initDev());
    QVERIFY(!net.device->isInited());
    QVERIFY(net.camera->requests().isEmpty());
    Util::setLocalIpSource(nullptr);
    // The HTTP road itself: tst_uvcnetwork.
}

void tst_UvcIdentity::statusBlockRead()
{
    SimCameraModel model;
    model.statusBlock = QByteArray::fromHex("0201") + QByteArray(57, '\x11') + QByteArray::fromHex("ee");
    Camera camera(model);
    QVERIFY(camera.inited);
    CameraStatus status;
    QVERIFY(camera.device->getCameraStatus(status));
    QCOMPARE(status.at(0), uint8_t(2));
    QCOMPARE(status.at(59), uint8_t(0xEE));
    QCOMPARE(status.at(60), uint8_t(0));
    QCOMPARE(status.at(61), uint8_t(0));
    QCOMPARE(camera.device->cachedStatus(), status);

    // The same block again: still true, cache unchanged.
    CameraStatus again;
    QVERIFY(camera.device->getCameraStatus(again));
    QCOMPARE(again, status);
    QCOMPARE(camera.device->cachedStatus(), status);

    // A short read leaves the caller's record and the cache alone.
    SimKnobs knobs;
    knobs.statusReadBytes = 0;
    camera.camera->setKnobs(knobs);
    camera.camera->setStatusBlock(QByteArray(60, '\x22'));
    CameraStatus untouched;
    untouched.bytes[5] = 0x55;
    QTest::ignoreMessage(QtCriticalMsg, "Invalid ret_val = 0");
    QVERIFY(!camera.device->getCameraStatus(untouched));
    QCOMPARE(untouched.at(5), uint8_t(0x55));
    QCOMPARE(untouched.at(0), uint8_t(0));
    QCOMPARE(camera.device->cachedStatus(), status);
}

void tst_UvcIdentity::statusBlockRefusals()
{
    Camera camera;
    QVERIFY(camera.inited);
    CameraStatus status;
    camera.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    QVERIFY(!camera.device->getCameraStatus(status));
    camera.device->setDevMode(UvcDevice::DevModeUvc);
    camera.device->setSystemType(2);
    QTest::ignoreMessage(QtWarningMsg, "Only supported in main sys");
    QVERIFY(!camera.device->getCameraStatus(status));

    SimFixture net(SimCameraModel(), UvcDevice::DevModeNet);
    net.device->setSystemType(1);
    QTest::ignoreMessage(QtCriticalMsg, "Net mode not supported");
    QVERIFY(!net.device->getCameraStatus(status));
    QVERIFY(net.camera->requests().isEmpty());
}


QTEST_GUILESS_MAIN(tst_UvcIdentity)
#include "tst_uvcidentity.moc"
