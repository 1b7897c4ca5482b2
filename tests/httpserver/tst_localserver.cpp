#include "support/ForeignAddress.h"
#include "support/LocalServerFixture.h"
#include "support/LogCapture.h"

#include "http/QHttpServer.h"
#include "httpserver/KnownPeers.h"

#include <QThread>
#include <QtTest>

using httptest::RawMessage;
using vesk::pc::GlobalParams;
using vesk::pc::HttpServerHost;

namespace {

const QByteArray kNotServed = "Method is not support at present";
const QByteArray kOkReply = "{\n    \"errorcode\": 200,\n    \"reason\": \"OK\"\n}\n";
const QByteArray kReport = R"({"cmd": "UpgradeProgress", "type": 3, "uuid": "u-1", "msg": "done"})";
const QByteArray kLaterReport = R"({"cmd": "UpgradeProgress", "type": 1, "uuid": "later", "msg": ""})";

QByteArray upgradeReply(int upgrade)
{
    return "{\n    \"errorcode\": 200,\n    \"reason\": \"OK\",\n    \"upgrade\": " + QByteArray::number(upgrade)
        + "\n}\n";
}

// devUpgradeProgress as a window on this thread receives it.
struct ProgressLog : QObject
{
    QList<QVariantList> reports;
    QThread* emittedOn = nullptr;
};

} // namespace

class tst_LocalServer : public QObject
{
    Q_OBJECT

private:
    LocalServerFixture server_;
    ProgressLog progress_;

private slots:
    void initTestCase()
    {
        QVERIFY(server_.start());
        GlobalParams& params = GlobalParams::get();
        connect(&params, &GlobalParams::devUpgradeProgress, &progress_,
                [this](GlobalParams::UgProgressEnum type, const QString& uuid, const QString& msg) {
                    progress_.reports.append({int(type), uuid, msg, QVariant::fromValue(QThread::currentThread())});
                });
        connect(&params, &GlobalParams::devUpgradeProgress, &progress_,
                [this] { progress_.emittedOn = QThread::currentThread(); }, Qt::DirectConnection);
    }
    void init() { progress_.reports.clear(); }

    // Reports reach this thread in the order the server made them: once the
    // report of a later request is here, one of the request before it would
    // be here too. True when the later one alone came.
    bool onlyTheLaterReportCame()
    {
        if (server_.send("POST", "/", kLaterReport).firstLine != kOkLine)
            return false;
        if (!QTest::qWaitFor([this] { return !progress_.reports.isEmpty(); }, 30000))
            return false;
        return progress_.reports.size() == 1 && progress_.reports.first().at(1) == QLatin1String("later");
    }

    void routing_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<QByteArray>("body");  // empty: not compared
        const QByteArray v = " HTTP/1.1\r\nHost: pc\r\n\r\n";
        const QByteArray notImplemented = "HTTP/1.1 501 Not Implemented";
        QTest::newRow("root") << "GET /" + v << notImplemented << kNotServed;
        QTest::newRow("other path") << "GET /upgrade?cmd=1" + v << notImplemented << kNotServed;
        QTest::newRow("prefix case") << "GET /COMMON?cmd=1" + v << notImplemented << kNotServed;
        QTest::newRow("PUT to a service") << "PUT /query?cmd=1" + v << notImplemented << kNotServed;
        QTest::newRow("DELETE") << "DELETE /download" + v << notImplemented << kNotServed;
        QTest::newRow("prefix only") << "GET /commonplace?cmd=1" + v << kOkLine << kOkReply;
        QTest::newRow("encoded path") << "GET /%63ommon?cmd=1" + v << kOkLine << kOkReply;
        QTest::newRow("further segment") << "GET /download/x/y?cmd=1" + v << kOkLine << QByteArray();
        QTest::newRow("malformed head") << QByteArray("GARBAGE\r\n\r\n") << QByteArray("HTTP/1.1 400 Bad Request")
                                        << QByteArray();
    }

    void routing()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, body);
        const RawMessage answer = httptest::exchangeRaw(server_.port(), request);
        QCOMPARE(answer.firstLine, firstLine);
        if (!body.isEmpty())
            QCOMPARE(answer.body, body);
    }

    void common_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("cmd 1") << QByteArray("cmd=1") << true << kOkLine << kOkReply;
        QTest::newRow("cmd 2, no state") << QByteArray("cmd=2") << false << kOkLine << upgradeReply(0);
        QTest::newRow("state 1, fall-back on") << QByteArray("cmd=2&state=1") << true << kOkLine << upgradeReply(0);
        QTest::newRow("state 2, fall-back off") << QByteArray("cmd=2&state=2") << false << kOkLine << upgradeReply(1);
        QTest::newRow("state 7") << QByteArray("cmd=2&state=7") << true << kOkLine << upgradeReply(1);
        QTest::newRow("state -1") << QByteArray("cmd=2&state=-1") << true << kOkLine << upgradeReply(1);
        QTest::newRow("cmd 3") << QByteArray("cmd=3") << true << QByteArray("HTTP/1.1 404 Not Found")
                               << QByteArray("{\n}\n");
    }

    void common()
    {
        QFETCH(QByteArray, query);
        QFETCH(bool, fallback);
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, body);
        GlobalParams::get().fallback_enable = fallback;
        const RawMessage answer = server_.get("/common?" + query);
        QCOMPARE(answer.firstLine, firstLine);
        QVERIFY(answer.headerLines.contains(kJsonType));
        QCOMPARE(answer.body, body);
    }

    void progress_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("errorcode");
        QTest::addColumn<QVariantList>("passed");  // type, uuid, msg; empty: nothing
        const QVariantList done{3, "u-1", "done"};
        QTest::newRow("report") << QByteArray("/") << kReport << 200 << done;
        QTest::newRow("any path") << QByteArray("/query") << kReport << 200 << done;
        QTest::newRow("64 KiB") << QByteArray("/") << kReport + QByteArray(65536 - kReport.size(), ' ') << 200 << done;
        QTest::newRow("type not a number") << QByteArray("/")
                                           << QByteArray(R"({"cmd":"UpgradeProgress","type":"2","uuid":"u","msg":""})")
                                           << 200 << QVariantList{0, "u", ""};
        QTest::newRow("no msg") << QByteArray("/") << QByteArray(R"({"cmd":"UpgradeProgress","type":1,"uuid":"u"})")
                                << 301 << QVariantList();
        QTest::newRow("other cmd") << QByteArray("/") << QByteArray(R"({"cmd":"progress","type":1,"uuid":"u","msg":""})")
                                   << 401 << QVariantList();
        QTest::newRow("malformed") << QByteArray("/") << QByteArray("{\"cmd\": \"UpgradeProgress\",") << 401
                                   << QVariantList();
        QTest::newRow("not an object") << QByteArray("/") << QByteArray("[1, 2]") << 401 << QVariantList();
        // Refused before parsing: Qt's parser leaks the first value of a
        // repeated key (the leak checker of the sanitizer build sees it).
        QTest::newRow("repeated key")
            << QByteArray("/") << QByteArray(R"({"cmd":"UpgradeProgress","type":1,"uuid":"u","msg":[1,2],"msg":"m"})")
            << 401 << QVariantList();
    }

    void progress()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, report);
        QFETCH(int, errorcode);
        QFETCH(QVariantList, passed);
        const RawMessage answer = server_.send("POST", path, report);
        const QByteArray reason = errorcode == 200 ? "OK" : errorcode == 301 ? "Param error" : "Unknown cmd";
        QCOMPARE(answer.firstLine, kOkLine);
        QVERIFY(answer.headerLines.contains("content-type: application/json"));
        QCOMPARE(answer.body, "{\n    \"errorcode\": " + QByteArray::number(errorcode) + ",\n    \"reason\": \"" + reason
                     + "\"\n}\n");
        if (passed.isEmpty()) {
            QVERIFY(onlyTheLaterReportCame());
            return;
        }
        QTRY_COMPARE(progress_.reports.size(), 1);
        QCOMPARE(progress_.reports.first().mid(0, 3), passed);
        // Emitted on the server's thread, received queued on this one.
        QCOMPARE(progress_.reports.first().at(3).value<QThread*>(), QThread::currentThread());
        QVERIFY(progress_.emittedOn && progress_.emittedOn != QThread::currentThread());
    }

    void oversizedBody()
    {
        const RawMessage answer = server_.send("POST", "/", kReport + QByteArray(65537 - kReport.size(), ' '));
        QCOMPARE(answer.firstLine, QByteArray("HTTP/1.1 413 Request Entity Too Large"));
        QVERIFY(onlyTheLaterReportCame());
    }

    void portTaken()
    {
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress::AnyIPv4, 0));
        GlobalParams::get().host_port = blocker.serverPort();
        LogCapture log;
        HttpServerHost second;
        QSignalSpy failed(&second, &HttpServerHost::listenFailed);
        second.start();
        QVERIFY(failed.wait(httptest::kWaitMs));
        QVERIFY(!failed.first().first().toString().isEmpty());
        QVERIFY(log.startsWith("Start http server failed:"));
        QCOMPARE(server_.get("/common?cmd=1").body, kOkReply);  // the first one serves on
    }

    // A peer that is neither this machine nor a known camera is closed
    // unanswered by the server as the program builds it.
    void unknownPeerUnanswered()
    {
        const ForeignAddress foreign;
        QVERIFY2(!foreign.address.isNull(), "no IPv4 address but loopback, and none could be added to lo");
        LogCapture log;
        for (int attempt = 0; attempt < 2; ++attempt) {
            QTcpSocket socket;
            socket.connectToHost(foreign.address, server_.port());
            QVERIFY(socket.waitForConnected(httptest::kWaitMs));
            httptest::send(socket, "GET /common?cmd=1 HTTP/1.1\r\nHost: pc\r\n\r\n");
            QCOMPARE(httptest::readRaw(socket), QByteArray());
            QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        }
        QCOMPARE(log.mentionCount(foreign.address.toString()), 1);  // once per peer
        QCOMPARE(server_.get("/common?cmd=1").body, kOkReply);
    }

    // This machine, and the addresses the pool gave to cameras while they
    // hold them or they stay reserved for them.
    void knownPeers()
    {
        using vesk::pc::KnownPeers;
        GlobalParams& params = GlobalParams::get();
        const QHostAddress held(params.applyForAnIpAddr("camera-held", true));
        const QHostAddress reserved(params.applyForAnIpAddr("camera-gone", true));
        params.releaseAnIpAddr(reserved.toString());
        const QList<GlobalParams::IpAddrInfo> pool = params.ipPool();
        const auto unowned = std::find_if(pool.begin(), pool.end(), [](const GlobalParams::IpAddrInfo& entry) {
            return entry.owner.isNull();
        });
        QVERIFY(!held.isNull() && !reserved.isNull() && unowned != pool.end());
        for (const char* address : {"127.0.0.1", "127.1.2.3", "::1", "::ffff:127.0.0.1"})
            QVERIFY2(KnownPeers::isKnown(QHostAddress(QLatin1String(address))), address);
        QVERIFY(KnownPeers::isKnown(held));
        QVERIFY(KnownPeers::isKnown(QHostAddress(QStringLiteral("::ffff:") + held.toString())));
        QVERIFY(KnownPeers::isKnown(reserved));
        QVERIFY(!KnownPeers::isKnown(QHostAddress(unowned->ip)));
        QVERIFY(!KnownPeers::isKnown(QHostAddress(QStringLiteral("192.0.2.77"))));
        for (int tick = 0; tick < 360; ++tick)
            params.updateGlobalParams();
        QVERIFY(!KnownPeers::isKnown(reserved));  // its reservation ended
        QVERIFY(KnownPeers::isKnown(held));
        params.releaseAnIpAddr(held.toString());
    }

    // The server as the program builds it keeps the HTTP layer's time
    // bounds: 30 s idle, and from acceptance 10 s for a head, 30 s for a
    // whole request.
    void layerBounds()
    {
        GlobalParams::get().host_port = 0;
        vesk::pc::HttpServer local;
        QSignalSpy listening(&local, &vesk::pc::HttpServer::listening);
        local.initServer();
        QCOMPARE(listening.count(), 1);
        const auto* http = local.findChild<qhttp::server::QHttpServer*>();
        QVERIFY(http);
        QCOMPARE(http->timeOut(), 30000u);
        QCOMPARE(http->headTimeOut(), 10000u);
        QCOMPARE(http->requestTimeOut(), 30000u);
    }

    void stopAndStartAgain()
    {
        QSignalSpy listening(server_.host(), &HttpServerHost::listening);
        server_.host()->stop();
        const auto refused = [this] {
            QTcpSocket socket;
            socket.connectToHost(httptest::kLoopback, server_.port());
            return !socket.waitForConnected(500);
        };
        QTRY_VERIFY(refused());
        GlobalParams::get().host_port = server_.port();
        server_.host()->start();
        QVERIFY(listening.wait(httptest::kWaitMs));
        QCOMPARE(server_.get("/common?cmd=1").body, kOkReply);
    }
};

QTEST_GUILESS_MAIN(tst_LocalServer)
#include "tst_localserver.moc"
