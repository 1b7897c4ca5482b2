// The network part on its own, over a fake of the camera's HTTP server and a
// message port that records frames: each request's path and body at the
// address it is given, the protocol frames of the other modes, and the log
// archive stored under the uuid's name.

#include "support/HandlePorts.h"
#include "support/FakeCameraHttp.h"
#include "support/TestHome.h"

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "uvc/NetworkCalls.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QtTest>

using namespace vesk::pc;

namespace {

const char* const kCameraIp = "127.0.0.1";
const QByteArray kUuidHex = "4B4553545230314F524C41000000000000000000A1B2C3D4";

// The ports with every frame kept, as the camera's wire form.
struct PartRig : HandlePorts
{
    NetworkCalls network{*this, *this};
    QList<ProtocolMsg::FrmPacket> frames;  // host form, as sent

    PartRig()
    {
        UvcTiming timing = UvcTiming::defaults();
        timing.httpConnectMs = 3000;
        timing.httpIdleMs = 1000;
        timing.httpTotalMs = 3000;
        setTiming(timing);
        answer = [this](ProtocolMsg::FrmPacket& frame, QByteArray&) {
            frames << frame;
            return MessageResult::ErrSuccess;
        };
    }
};

} // namespace

class tst_NetworkCalls : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCameraHttp fake_;

private slots:
    void initTestCase();
    void requestsGoToTheGivenAddress_data();
    void requestsGoToTheGivenAddress();
    void framesOutsideNetworkMode_data();
    void framesOutsideNetworkMode();
    void logArchiveNamedByUuid();
};

void tst_NetworkCalls::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(fake_.listen(QHostAddress(QString(kCameraIp))));
    GlobalParams::get().device_port = fake_.port();
    fake_.setReply("/query_device_info",
                   FakeCameraHttp::json(R"({"version":"1.0.3.7","seqid":")" + kUuidHex
                                        + R"(","systype":2})"));
    fake_.setReply("/change_ip", FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_.setReply("/start_upgrade", FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_.setReply("/run_shell_script", FakeCameraHttp::json(R"({"errorcode":"200"})"));
}

void tst_NetworkCalls::requestsGoToTheGivenAddress_data()
{
    QTest::addColumn<int>("call");  // 0 version, 1 uuid, 2 info, 3 address, 4 upgrade, 5 reboot
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("version") << 0 << "/query_device_info" << QByteArray();
    QTest::newRow("uuid") << 1 << "/query_device_info" << QByteArray();
    QTest::newRow("info") << 2 << "/query_device_info" << QByteArray();
    QTest::newRow("address") << 3 << "/change_ip"
                             << QByteArray(R"({"device_ip":"192.168.90.10","server_mode":3})");
    QTest::newRow("upgrade") << 4 << "/start_upgrade"
                             << QByteArray(R"({"server_ip":"127.0.0.20","server_mode":3,"server_port":10086})");
    QTest::newRow("reboot") << 5 << "/run_shell_script" << QByteArray("reboot");
}

void tst_NetworkCalls::requestsGoToTheGivenAddress()
{
    QFETCH(int, call);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    PartRig part;
    fake_.clearRequests();
    const QString ip = QString::fromLatin1(kCameraIp);
    switch (call) {
    case 0: QCOMPARE(part.network.netDevVersion(ip), QStringLiteral("1.0.3.7")); break;
    case 1: QCOMPARE(part.network.netDevUuid(ip).toHex().toUpper(), kUuidHex); break;
    case 2: QCOMPARE(part.network.netDevInfo(ip).value("systype").toInt(), 2); break;
    case 3: QCOMPARE(part.network.changeIpAddr("192.168.90.10", true, ip), 0); break;
    case 4: QCOMPARE(part.network.reqDevUpgrade(ip, true, false), 0); break;
    default: QVERIFY(part.network.reqDevReboot(ip));
    }
    QCOMPARE(fake_.requests().size(), 1);
    QCOMPARE(fake_.requests().first().path, path);
    if (call >= 3 && call <= 4)
        QCOMPARE(QJsonDocument::fromJson(fake_.requests().first().body),
                 QJsonDocument::fromJson(body));
    else
        QCOMPARE(fake_.requests().first().body, body);
    QVERIFY(part.frames.isEmpty());
}

void tst_NetworkCalls::framesOutsideNetworkMode_data()
{
    QTest::addColumn<bool>("upgrade");
    QTest::addColumn<bool>("upgradeSystem");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("address") << false << false << 0x8064 << QByteArray("0a5aa8c003");
    QTest::newRow("upgrade") << true << false << 0x8061 << QByteArray("1459007f662703");
    QTest::newRow("upgrade from the upgrade system") << true << true << 0x8061
                                                     << QByteArray("1459007f662700");
}

void tst_NetworkCalls::framesOutsideNetworkMode()
{
    QFETCH(bool, upgrade);
    QFETCH(bool, upgradeSystem);
    QFETCH(int, command);
    QFETCH(QByteArray, payload);
    PartRig part;
    fake_.clearRequests();
    const int result = upgrade ? part.network.reqDevUpgrade("127.0.89.10", false, upgradeSystem)
                               : part.network.changeIpAddr("192.168.90.10", false, "127.0.89.10");
    QCOMPARE(result, 0);
    QCOMPARE(part.frames.size(), 1);
    const ProtocolMsg::FrmPacket& frame = part.frames.first();
    QCOMPARE(frame.addresses(), uint8_t(0xE8));
    QCOMPARE(int(frame.command()), command);
    QCOMPARE(frame.length() - 12, payload.size() / 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame.payload()), payload.size() / 2).toHex(),
             payload);
    QVERIFY(fake_.requests().isEmpty());
}

void tst_NetworkCalls::logArchiveNamedByUuid()
{
    PartRig part;
    FakeCameraHttp::Reply reply;
    reply.headers = {{"Content-Type", "application/octet-stream"}};
    reply.chunks = {"abc", "def"};
    fake_.setReply("/download_log", reply);
    QVERIFY(part.network.lastLogFile().isEmpty());
    QCOMPARE(part.network.getDevLogFile(kCameraIp, QByteArray::fromHex(kUuidHex)), 0);
    const QFileInfo stored(part.network.lastLogFile());
    QVERIFY(stored.fileName().endsWith("_" + kUuidHex + ".tar.gz"));
    QCOMPARE(stored.absolutePath(), QFileInfo(AppPaths::dataPath("log")).absoluteFilePath());
    QFile file(stored.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abcdef"));
}

QTEST_GUILESS_MAIN(tst_NetworkCalls)
#include "tst_networkcalls.moc"
