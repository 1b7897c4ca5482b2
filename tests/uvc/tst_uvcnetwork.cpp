// A camera in network mode against a fake of its HTTP server on the loopback
// network: identity over "/query_device_info", the address change, upgrade,
// reboot and log download requests with their failures (status, broken JSON,
// silence, stalls, hostile file names), and the protocol frames that carry
// the address change and the upgrade request in the other modes.

#include "support/SimFixture.h"
#include "support/FakeCameraHttp.h"
#include "support/LogCapture.h"
#include "support/TestHome.h"
#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

using namespace vesk::pc;

Q_DECLARE_METATYPE(FakeCameraHttp::Reply)

namespace {

// The pool's first camera subnet is 127.0.89.x, so the camera's own address
// is a loopback one that the fake can listen on.
const char* const kCameraIp = "127.0.89.10";
const QByteArray kUuidHex = "4B4553545230314F524C41000000000000000000A1B2C3D4";
const QByteArray kInfo =
    R"({"product":"Kestro_orla","branch":"OA_E","platform":"SSC336Q","status":"release",)"
    R"("version":"1.0.3.7","seqid":"4B4553545230314F524C41000000000000000000A1B2C3D4",)"
    R"("systype":1,"socver":2,"devsn":"OR22A0000001"})";
// Idle time-out: a loaded machine keeps a plain exchange quiet for hundreds
// of milliseconds.
constexpr int kIdleMs = 1000;
constexpr int kTotalMs = 1500;

// A camera in network mode, identified over HTTP; its address goes back to
// the pool afterwards, as the registry does.
struct NetCamera
{
    QSharedPointer<UvcDevice> device = UvcDevice::create({}, UvcDevice::DevModeNet);
    bool inited = device->initDev();
    ~NetCamera() { GlobalParams::get().releaseAnIpAddr(device->ipAddr()); }
};

QJsonObject jsonOf(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

FakeCameraHttp::Reply logReply(const QList<QByteArray>& chunks, const QByteArray& fileName = {})
{
    FakeCameraHttp::Reply reply;
    reply.headers = {{"Content-Type", "application/octet-stream"}};
    if (!fileName.isNull())
        reply.headers.append(qMakePair(QByteArray("file-name"), fileName));
    reply.chunks = chunks;
    return reply;
}

// Released addresses stay reserved for their camera for 180 s of ticks.
void ageOutReservations()
{
    for (int tick = 0; tick < 400; ++tick)
        GlobalParams::get().updateGlobalParams();
}

FakeCameraHttp::Reply silent()
{
    FakeCameraHttp::Reply reply;
    reply.silent = true;
    return reply;
}

} // namespace

class tst_UvcNetwork : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCameraHttp fake_;
    QString logDir_;

    QStringList logFiles() const { return QDir(logDir_).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void initTestCase();
    void init();
    void initDevOverHttp();
    void initDevMovesACameraToItsPoolAddress();
    void deviceInfoFields_data();
    void deviceInfoFields();
    void failedJsonRequests_data();
    void failedJsonRequests();
    void refusedConnection();
    void changeIpAddrRequest();
    void upgradeRequest();
    void rebootRequest_data();
    void rebootRequest();
    void logDownload();
    void logWithoutFileName();
    void hostileFileNames_data();
    void hostileFileNames();
    void failedLogDownloadsLeaveNoFile_data();
    void failedLogDownloadsLeaveNoFile();
    void slowSteadyLogDownloadIsNotCutShort();
    void modeAndInitGuards();
    void protocolFramesInUsbMode();
};

void tst_UvcNetwork::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(QDir().mkpath(AppPaths::dataPath("config")));
    {
        QSettings ini(AppPaths::dataPath("config/kestro_macos.ini"), QSettings::IniFormat);
        ini.setValue("local_server/host_ip_prefix", "127.0.");
        ini.setValue("local_server/host_ip_seg_start", 89);
        ini.setValue("local_server/host_ip_seg_end", 99);
    }
    Util::setLocalIpSource([] { return QStringList{QStringLiteral("127.0.89.20")}; });
    QCOMPARE(GlobalParams::get().ipPool().value(0).ip, QString(kCameraIp));
    QVERIFY(fake_.listen(QHostAddress(QString(kCameraIp))));
    GlobalParams::get().device_port = fake_.port();
    logDir_ = AppPaths::dataPath("log");

    UvcTiming timing = fastTiming();
    timing.netAddressAttempts = 1;
    timing.httpConnectMs = 3000;
    timing.httpIdleMs = kIdleMs;
    timing.httpTotalMs = kTotalMs;
    UvcTiming::setDefaults(timing);
}

void tst_UvcNetwork::init()
{
    fake_.setReply("/query_device_info", FakeCameraHttp::json(kInfo));
    fake_.setReply("/change_ip", FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_.setReply("/start_upgrade", FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_.setReply("/run_shell_script", FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_.clearRequests();
    QDir(logDir_).removeRecursively();
}

void tst_UvcNetwork::initDevOverHttp()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    QCOMPARE(camera.device->ipAddr(), QString(kCameraIp));
    QCOMPARE(camera.device->uuid().toHex().toUpper(), kUuidHex);
    QCOMPARE(camera.device->devVersion(), QStringLiteral("1.0.3.7"));
    QCOMPARE(camera.device->sn(), QStringLiteral("OR22A0000001"));
    QCOMPARE(camera.device->devName(), QStringLiteral("KESTRO_OrlaCam_OR22A0000001"));
    QCOMPARE(camera.device->systemType(), 1);
    QCOMPARE(camera.device->getProductType(), 2);

    QCOMPARE(fake_.requests().size(), 3);  // uuid, version, information
    for (const FakeCameraHttp::Seen& seen : fake_.requests()) {
        QCOMPARE(seen.method, 3);  // POST
        QCOMPARE(seen.path, QStringLiteral("/query_device_info"));
        QCOMPARE(seen.headers.value("accept"), QByteArray("application/json"));
        QCOMPARE(seen.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(seen.headers.value("charset"), QByteArray("utf-8"));
        QCOMPARE(seen.headers.value("content-length"), QByteArray("0"));
        QVERIFY(seen.body.isEmpty());
    }
}

void tst_UvcNetwork::initDevMovesACameraToItsPoolAddress()
{
    // Another camera reserves the camera's present address: the pool gives
    // this one the next, and initDev asks the camera to move there.
    GlobalParams& params = GlobalParams::get();
    ageOutReservations();
    QCOMPARE(params.applyForAnIpAddr("another camera", true), QString(kCameraIp));
    params.releaseAnIpAddr(kCameraIp);
    {
        NetCamera camera;
        QVERIFY(!camera.inited);
        QCOMPARE(fake_.requests().size(), 4);
        const FakeCameraHttp::Seen change = fake_.requests().last();
        QCOMPARE(change.path, QStringLiteral("/change_ip"));
        QCOMPARE(jsonOf(change.body),
                 QJsonObject({{"device_ip", "127.0.90.10"}, {"server_mode", 3}}));
    }
    ageOutReservations();
    QVERIFY(params.ipPool().value(0).owner.isNull());
}

void tst_UvcNetwork::deviceInfoFields_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");
    const QByteArray seqid = R"("seqid":"4B4553545230314F524C41000000000000000000A1B2C3D4")";
    QTest::newRow("no devsn") << "{" + seqid + "}" << "devsn" << QJsonValue("000000A1B2C3D4");
    QTest::newRow("empty devsn") << "{" + seqid + R"(,"devsn":""})" << "devsn"
                                 << QJsonValue("000000A1B2C3D4");
    QTest::newRow("no systype") << "{" + seqid + "}" << "systype" << QJsonValue(0);
    QTest::newRow("systype text") << "{" + seqid + R"(,"systype":"1"})" << "systype" << QJsonValue(0);
    QTest::newRow("socver") << "{" + seqid + R"(,"socver":5})" << "socver" << QJsonValue(5);
    QTest::newRow("product number") << "{" + seqid + R"(,"product":7})" << "product" << QJsonValue("");
    QTest::newRow("no branch") << "{" + seqid + "}" << "branch" << QJsonValue("");
}

void tst_UvcNetwork::deviceInfoFields()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.setReply("/query_device_info", FakeCameraHttp::json(reply));
    QCOMPARE(camera.device->getDevInfo().value(key), expected);
}

void tst_UvcNetwork::failedJsonRequests_data()
{
    QTest::addColumn<FakeCameraHttp::Reply>("reply");
    QTest::newRow("status 500") << FakeCameraHttp::json(kInfo, 500);
    QTest::newRow("status 404") << FakeCameraHttp::json(kInfo, 404);
    QTest::newRow("not json") << FakeCameraHttp::json("<html>busy</html>");
    QTest::newRow("json array") << FakeCameraHttp::json("[1,2]");
    QTest::newRow("repeated key") << FakeCameraHttp::json(R"({"version":["1"],)" + kInfo.mid(1));
    QTest::newRow("no reply") << silent();
}

void tst_UvcNetwork::failedJsonRequests()
{
    QFETCH(FakeCameraHttp::Reply, reply);
    NetCamera camera;
    QVERIFY(camera.inited);
    for (const char* path : {"/query_device_info", "/change_ip", "/start_upgrade"})
        fake_.setReply(path, reply);
    fake_.clearRequests();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(camera.device->getDevVersion().isEmpty());
    QVERIFY(camera.device->getDevUuid().isEmpty());
    QVERIFY(camera.device->getDevInfo().isEmpty());
    QCOMPARE(camera.device->reqDevChangeIpAddr("127.0.89.10"), -1);
    QCOMPARE(camera.device->reqDevUpgrade(), -1);
    QCOMPARE(fake_.requests().size(), 5);
    QVERIFY2(clock.elapsed() < 5 * (kIdleMs + 600), qPrintable(QString::number(clock.elapsed())));
}

void tst_UvcNetwork::refusedConnection()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress(QString(kCameraIp))));
    const quint16 port = closed.serverPort();
    closed.close();
    GlobalParams::get().device_port = port;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(camera.device->reqDevUpgrade(), -1);
    QVERIFY(camera.device->getDevInfo().isEmpty());
    QCOMPARE(camera.device->getDevLogFile(), -1);
    QVERIFY(clock.elapsed() < 3 * kIdleMs);
    GlobalParams::get().device_port = fake_.port();
    QVERIFY(logFiles().isEmpty());
}

void tst_UvcNetwork::changeIpAddrRequest()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.clearRequests();
    QCOMPARE(camera.device->reqDevChangeIpAddr("192.168.90.10"), 0);
    QCOMPARE(fake_.requests().size(), 1);
    const FakeCameraHttp::Seen seen = fake_.requests().first();
    QCOMPARE(seen.method, 3);
    QCOMPARE(seen.path, QStringLiteral("/change_ip"));
    QCOMPARE(seen.headers.value("content-type"), QByteArray("application/json"));
    QCOMPARE(seen.headers.value("content-length"), QByteArray::number(seen.body.size()));
    QCOMPARE(jsonOf(seen.body), QJsonObject({{"device_ip", "192.168.90.10"}, {"server_mode", 3}}));
    QVERIFY(!seen.body.contains(' ') && !seen.body.contains('\n'));  // compact

    QCOMPARE(camera.device->reqDevChangeIpAddr("192.168.90"), -1);
    QCOMPARE(fake_.requests().size(), 1);
}

void tst_UvcNetwork::upgradeRequest()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.clearRequests();
    QCOMPARE(camera.device->reqDevUpgrade(), 0);
    QCOMPARE(fake_.requests().size(), 1);
    const FakeCameraHttp::Seen seen = fake_.requests().first();
    QCOMPARE(seen.path, QStringLiteral("/start_upgrade"));
    QCOMPARE(seen.headers.value("accept"), QByteArray("application/json"));
    QCOMPARE(jsonOf(seen.body), QJsonObject({{"server_ip", "127.0.89.20"},
                                             {"server_port", 10086},
                                             {"server_mode", 3}}));
}

void tst_UvcNetwork::rebootRequest_data()
{
    QTest::addColumn<FakeCameraHttp::Reply>("reply");
    QTest::addColumn<int>("failures");
    QTest::newRow("errorcode \"200\"") << FakeCameraHttp::json(R"({"errorcode":"200"})") << 0;
    QTest::newRow("errorcode 200") << FakeCameraHttp::json(R"({"errorcode":200})") << 1;
    QTest::newRow("status 500") << FakeCameraHttp::json(R"({"errorcode":"200"})", 500) << 1;
    QTest::newRow("no reply") << silent() << 1;
}

void tst_UvcNetwork::rebootRequest()
{
    QFETCH(FakeCameraHttp::Reply, reply);
    QFETCH(int, failures);
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.setReply("/run_shell_script", reply);
    fake_.clearRequests();
    LogCapture log;
    QVERIFY(camera.device->reqDevReboot());
    QCOMPARE(log.countOf(QtCriticalMsg, QStringLiteral("Execute shell cmd failed")), failures);
    const FakeCameraHttp::Seen seen = fake_.requests().value(0);
    QCOMPARE(seen.path, QStringLiteral("/run_shell_script"));
    QCOMPARE(seen.body, QByteArray("reboot"));
    QCOMPARE(seen.headers.value("content-type"), QByteArray("text/plain"));
    QCOMPARE(seen.headers.value("content-length"), QByteArray("6"));
    QCOMPARE(seen.headers.value("charset"), QByteArray("utf-8"));
}

void tst_UvcNetwork::logDownload()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.setReply("/download_log", logReply({"abc", "def"}, "cam_log.tar.gz"));
    QCOMPARE(camera.device->getDevLogFile(), 0);
    const QFileInfo stored(camera.device->lastLogFile());
    QCOMPARE(stored.absolutePath(), QFileInfo(logDir_).absoluteFilePath());
    QVERIFY2(QRegularExpression("^\\d{8}_\\d{6}_cam_log\\.tar\\.gz$").match(stored.fileName()).hasMatch(),
             qPrintable(stored.fileName()));
    QFile file(stored.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
    QCOMPARE(logFiles(), QStringList{stored.fileName()});  // nothing left beside it
    const FakeCameraHttp::Seen seen = fake_.requests().last();
    QCOMPARE(seen.method, 1);  // GET
    QVERIFY(!seen.headers.contains("content-type"));
}

void tst_UvcNetwork::logWithoutFileName()
{
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.setReply("/download_log", logReply({"x"}));
    QCOMPARE(camera.device->getDevLogFile(), 0);
    QVERIFY(camera.device->lastLogFile().endsWith("_" + kUuidHex + ".tar.gz"));
}

void tst_UvcNetwork::hostileFileNames_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("stored");
    const QString fallback = kUuidHex + ".tar.gz";
    QTest::newRow("parent dirs") << QByteArray("../../../etc/passwd") << "passwd";
    QTest::newRow("backslashes") << QByteArray("..\\..\\win\\evil.bat") << "evil.bat";
    QTest::newRow("absolute") << QByteArray("/var/log/x.tgz") << "x.tgz";
    QTest::newRow("dots only") << QByteArray("..") << fallback;
    QTest::newRow("directory") << QByteArray("logs/") << fallback;
    QTest::newRow("hidden") << QByteArray("...profile") << "profile";
    QTest::newRow("shell text") << QByteArray("a b;rm -rf *.tar") << "abrm-rf.tar";
    QTest::newRow("very long") << QByteArray(300, 'x') << QString(128, 'x');
}

void tst_UvcNetwork::hostileFileNames()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, stored);
    NetCamera camera;
    QVERIFY(camera.inited);
    fake_.setReply("/download_log", logReply({"log"}, header));
    QCOMPARE(camera.device->getDevLogFile(), 0);
    const QFileInfo file(camera.device->lastLogFile());
    QCOMPARE(file.absolutePath(), QFileInfo(logDir_).absoluteFilePath());
    QCOMPARE(file.fileName().mid(16), stored);  // after "yyyyMMdd_hhmmss_"
    QCOMPARE(logFiles().size(), 1);
}

void tst_UvcNetwork::failedLogDownloadsLeaveNoFile_data()
{
    QTest::addColumn<FakeCameraHttp::Reply>("reply");
    QTest::addColumn<int>("totalMs");
    FakeCameraHttp::Reply notFound = logReply({"not here"}, "cam.tgz");
    notFound.status = 404;
    QTest::newRow("status 404") << notFound << 60000;
    FakeCameraHttp::Reply stall = logReply({"abc", "def"}, "cam.tgz");
    stall.pauseMs = 2 * kIdleMs;
    QTest::newRow("stalls mid-body") << stall << 60000;
    QTest::newRow("no reply") << silent() << 60000;
    FakeCameraHttp::Reply slow = logReply(QVector<QByteArray>(10, "chunk").toList(), "cam.tgz");
    slow.pauseMs = kIdleMs / 4;
    QTest::newRow("over the total time") << slow << kIdleMs;
    FakeCameraHttp::Reply huge = logReply({"abc"}, "cam.tgz");
    huge.headers.append(qMakePair(QByteArray("content-length"), QByteArray("536870913")));
    QTest::newRow("announced over 512 MiB") << huge << 60000;
}

void tst_UvcNetwork::failedLogDownloadsLeaveNoFile()
{
    QFETCH(FakeCameraHttp::Reply, reply);
    QFETCH(int, totalMs);
    NetCamera camera;
    QVERIFY(camera.inited);
    UvcTiming timing = camera.device->timing();
    timing.logDownloadTotalMs = totalMs;
    camera.device->setTiming(timing);
    fake_.setReply("/download_log", reply);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(camera.device->getDevLogFile(), -1);
    QVERIFY(clock.elapsed() < 10 * kIdleMs);  // far below the 60 s total
    QCOMPARE(logFiles(), QStringList());
    QVERIFY(camera.device->lastLogFile().isEmpty());
}

void tst_UvcNetwork::slowSteadyLogDownloadIsNotCutShort()
{
    // Longer than a JSON request may take, but never idle for long.
    NetCamera camera;
    QVERIFY(camera.inited);
    FakeCameraHttp::Reply slow = logReply(QVector<QByteArray>(10, "chunk").toList(), "cam.tgz");
    slow.pauseMs = kIdleMs / 4;  // still more than the total time in all
    fake_.setReply("/download_log", slow);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(camera.device->getDevLogFile(), 0);
    QVERIFY(clock.elapsed() > kTotalMs);
    QFile file(camera.device->lastLogFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("chunk").repeated(10));
}

void tst_UvcNetwork::modeAndInitGuards()
{
    const QSharedPointer<UvcDevice> fresh = UvcDevice::create({}, UvcDevice::DevModeNet);
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QCOMPARE(fresh->getDevLogFile(), -1);
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QCOMPARE(fresh->reqDevChangeIpAddr("192.168.90.10"), -1);
    QTest::ignoreMessage(QtWarningMsg, "Device has not been inited");
    QCOMPARE(fresh->reqDevUpgrade(), -1);
    QVERIFY(!fresh->reqDevReboot());  // no address: the request cannot start
    QVERIFY(fake_.requests().isEmpty());

    SimFixture usb;
    QCOMPARE(usb.device->open(), 0);
    QVERIFY(usb.device->initDev());
    QTest::ignoreMessage(QtWarningMsg, "Only supported in net mode");
    QCOMPARE(usb.device->getDevLogFile(), -1);
    QTest::ignoreMessage(QtWarningMsg, "Only supported in net mode");
    QVERIFY(!usb.device->reqDevReboot());
    GlobalParams::get().releaseAnIpAddr(usb.device->ipAddr());
}

void tst_UvcNetwork::protocolFramesInUsbMode()
{
    SimCameraModel model;
    model.knobs.staysOnUsb = true;  // the frames alone count here, not the camera's switch
    SimFixture usb(model);
    QCOMPARE(usb.device->open(), 0);
    QVERIFY(usb.device->initDev());
    QCOMPARE(usb.device->ipAddr(), QString(kCameraIp));
    usb.camera->clearRequests();

    QCOMPARE(usb.device->reqDevChangeIpAddr("192.168.90.10"), 0);
    QTRY_COMPARE_WITH_TIMEOUT(usb.camera->writtenFrames().size(), 1, 3000);
    QByteArray frame = usb.camera->writtenFrames().at(0);
    QCOMPARE(frame.left(4).toHex(), QByteArray("aa001110"));  // 17 bytes, no reply wanted
    QCOMPARE(frame.mid(9, 3).toHex(), QByteArray("e88064"));
    QCOMPARE(frame.mid(12, 5).toHex(), QByteArray("0a5aa8c003"));
    QCOMPARE(frame.mid(17), QByteArray(43, '\0'));

    // The host is told its address on the camera's subnet and the local server's port.
    QCOMPARE(usb.device->reqDevUpgrade(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(usb.camera->writtenFrames().size(), 2, 3000);
    frame = usb.camera->writtenFrames().at(1);
    QCOMPARE(frame.left(4).toHex(), QByteArray("aa001310"));
    QCOMPARE(frame.mid(9, 3).toHex(), QByteArray("e88061"));
    QCOMPARE(frame.mid(12, 7).toHex(), QByteArray("1459007f662703"));

    // In upgrade mode the frame goes out at once, with server mode 0.
    usb.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    QCOMPARE(usb.device->reqDevUpgrade(), 0);
    QCOMPARE(usb.camera->writtenFrames().size(), 3);
    frame = usb.camera->writtenFrames().at(2);
    QCOMPARE(frame.left(4).toHex(), QByteArray("aa001312"));
    QCOMPARE(frame.mid(12, 7).toHex(), QByteArray("1459007f662700"));
    GlobalParams::get().releaseAnIpAddr(usb.device->ipAddr());
}

QTEST_GUILESS_MAIN(tst_UvcNetwork)
#include "tst_uvcnetwork.moc"
