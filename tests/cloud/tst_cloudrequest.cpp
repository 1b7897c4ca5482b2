// The request frame of every cloud task, on a fake server on 127.0.0.1:
// URL joining, the registration's request line, headers and body bytes,
// content-length of non-ASCII bodies, every branch of the reply check, the
// package query to a receiver (alive, deleted meanwhile, or never called).

#include "support/CloudFixture.h"
#include "support/CloudTaskRun.h"
#include "cloud/PushToServer.h"
#include "cloud/QueryFromServer.h"
#include "support/LogCapture.h"
#include "support/TestHome.h"

#include <QLocale>
#include <QPointer>
#include <QSysInfo>

using namespace vesk::pc;

namespace {

// A window's stand-in: counts the packages handed to it.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<QJsonObject> got;
    Q_INVOKABLE void onInfo(const QJsonObject& info) { got << info; }
};

QueryFromServer* firmwareQuery(QObject* receiver, int type = QueryFromServer::QueryDevFirmware)
{
    const QJsonObject query{{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
                            {"status", "release"},      {"version", "1.0.3.7"}, {"seqid", "7"}};
    return new QueryFromServer(query, QueryFromServer::QueryInfoType(type), receiver,
                               QSharedPointer<QString>::create(QStringLiteral("onInfo")));
}

const QByteArray kPackageReply =
    "{\"errorcode\":200,\"reason\":\"\",\"packages\":[{\"product\":\"Kestro_orla\",\"branch\":\"OA_E\","
    "\"platform\":\"SSC336Q\",\"url\":\"http://127.0.0.1:9/f.bin\",\"pkgsize\":2048,"
    "\"md5\":\"00112233445566778899aabbccddeeff\",\"version\":\"1.0.4.0\",\"status\":\"release\"}]}";

} // namespace

class tst_CloudRequest : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;

private slots:
    void initTestCase();
    void init();
    void urlJoin_data();
    void urlJoin();
    void emptyLogHostSkipsTheReport();
    void registrationOnTheWire();
    void contentLengthCountsUtf8Bytes();
    void replyCheck_data();
    void replyCheck();
    void queryHandsThePackageToItsReceiver_data();
    void queryHandsThePackageToItsReceiver();
    void queryReceiverDeletedMeanwhile_data();
    void queryReceiverDeletedMeanwhile();
    void queryWithoutUrlCallsNobody_data();
    void queryWithoutUrlCallsNobody();
};

void tst_CloudRequest::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(startSimulatedCameras());
    QVERIFY(server_.listen());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void tst_CloudRequest::init()
{
    pointServersAt(server_);
    server_.setAnswer(FakeCloudServer::Answer());
    server_.clear();
}

void tst_CloudRequest::urlJoin_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("url");
    QTest::newRow("registration") << "log.kestro.invalid" << "/dev/submit/" << "http://log.kestro.invalid:10007/dev/submit/";
    QTest::newRow("state path without slash") << "log.kestro.invalid" << "dev/orla/main_status/submit"
                                              << "http://log.kestro.invalid:10007/dev/orla/main_status/submit";
    QTest::newRow("doubled slash") << " 127.0.0.1 " << "//dev/submit/" << "http://127.0.0.1:10007/dev/submit/";
    QTest::newRow("empty host") << "" << "/dev/submit/" << "";
    QTest::newRow("host with a path") << "log.kestro.invalid/x" << "/dev/submit/" << "";
    QTest::newRow("host with a space") << "log kestro" << "/dev/submit/" << "";
}

void tst_CloudRequest::urlJoin()
{
    QFETCH(QString, host);
    QFETCH(QString, path);
    QFETCH(QString, url);
    QCOMPARE(CloudEndpoints::join(host, CloudEndpoints::kLogServerPort, path).toString(), url);
}

void tst_CloudRequest::emptyLogHostSkipsTheReport()
{
    GlobalParams::get().log_server_host.clear();
    LogCapture log;
    CloudTaskRun run;
    run.runToEnd(new PushToServer(QJsonObject{{"sn", "x"}}, PushToServer::DevSubmit));
    QVERIFY(log.countOf(QtDebugMsg, QStringLiteral("No cloud log server configured")) == 1);
    QTest::qWait(100);
    QVERIFY(server_.requests().isEmpty());
}

void tst_CloudRequest::registrationOnTheWire()
{
    const QSharedPointer<UvcDevice> orla = UvcDevices::get().getDevBySn(kOrlaSn);
    QVERIFY(orla);
    CloudTaskRun run;
    run.runToEnd(new PushToServer(orla->getDevInfoForServer(), PushToServer::DevSubmit));
    QCOMPARE(server_.requests().size(), 1);
    const FakeCloudServer::Request& request = server_.requests().first();
    QCOMPARE(request.requestLine, QByteArray("POST /dev/submit/ HTTP/1.1"));
    const QByteArray system = (QSysInfo::productType() + QSysInfo::productVersion()).toUtf8();
    const QByteArray body = "{\"branch\":\"OA_E\",\"country\":\"Germany\",\"platform\":\"SSC336Q\",\"product\":"
                            "\"KESTRO Orla\",\"sn\":\"OR22A0000001\",\"system\":\"" + system
                            + "\",\"version\":\"" + kDemoFirmware.toUtf8() + "\"}";
    QCOMPARE(request.body, body);
    QCOMPARE(request.header("Accept"), QByteArray("application/json"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(request.header("charset"), QByteArray("utf-8"));
    QCOMPARE(request.header("content-length"), QByteArray::number(body.size()));
    QCOMPARE(request.header("connection"), QByteArray("close"));
    QCOMPARE(request.headers.size(), 6);  // and "host"
}

void tst_CloudRequest::contentLengthCountsUtf8Bytes()
{
    CloudTaskRun run;
    run.runToEnd(new PushToServer(QJsonObject{{"sn", QString::fromUtf8("Zuki \xc3\xa9\xe6\x9d\xb1")}},
                                  PushToServer::DevStatusSubmit));
    QCOMPARE(server_.requests().size(), 1);
    const FakeCloudServer::Request& request = server_.requests().first();
    QCOMPARE(request.path(), QByteArray("/dev/status/submit/"));
    QVERIFY(request.body.startsWith("{\"country\":\"Germany\",\"sn\":\"Zuki \xc3\xa9\xe6\x9d\xb1\",\"system\":"));
    QCOMPARE(request.header("content-length").toInt(), request.body.size());
    QCOMPARE(request.body.size() - (QSysInfo::productType() + QSysInfo::productVersion()).toUtf8().size(), 51);
}

// Each row: the server's answer and what the task makes of it.
void tst_CloudRequest::replyCheck_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("server");  // 0 answers, 1 silent, 2 not listening
    QTest::addColumn<QString>("critical");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("atMostMs");
    const QByteArray good = "{\"errorcode\":200,\"reason\":\"\"}";
    QTest::newRow("good") << 200 << good << 0 << "" << 0 << 3000;
    QTest::newRow("empty object") << 200 << QByteArray("{}") << 0 << "The response is an invalid json" << 0 << 3000;
    QTest::newRow("no JSON") << 200 << QByteArray("<html>") << 0 << "The response is an invalid json" << 0 << 3000;
    QTest::newRow("an array") << 200 << QByteArray("[1]") << 0 << "The response is an invalid json" << 0 << 3000;
    QTest::newRow("repeated key") << 200 << QByteArray("{\"errorcode\":200,\"reason\":[1],\"reason\":\"\"}") << 0
                                  << "The response is an invalid json" << 0 << 3000;
    QTest::newRow("errorcode as text") << 200 << QByteArray("{\"errorcode\":\"200\",\"reason\":\"text\"}") << 0
                                       << "Error reason = \"text\"" << 0 << 3000;
    QTest::newRow("errorcode missing") << 200 << QByteArray("{\"reason\":\"gone\"}") << 0 << "Error reason = \"gone\""
                                       << 0 << 3000;
    QTest::newRow("errorcode 500") << 200 << QByteArray("{\"errorcode\":500}") << 0 << "Error reason = \"\"" << 0 << 3000;
    QTest::newRow("status 500, good body") << 500 << good << 0 << "" << 0 << 3000;
    QTest::newRow("body over 1 MiB") << 200 << QByteArray(1024 * 1024 + 1, ' ') << 0 << "" << 0 << 3000;
    // A coarse timer may fire up to 5 % early.
    QTest::newRow("no answer: the 6 s guard") << 200 << good << 1 << "" << 5500 << 9000;
    QTest::newRow("refused connection") << 200 << good << 2 << "" << 0 << 3000;
}

void tst_CloudRequest::replyCheck()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, server);
    QFETCH(QString, critical);
    QFETCH(int, atLeastMs);
    QFETCH(int, atMostMs);
    FakeCloudServer local;
    QVERIFY(local.listen());
    local.setAnswer({status, body, server == 1});
    pointServersAt(local);
    if (server == 2)
        local.close();
    LogCapture log;
    CloudTaskRun run;
    const qint64 ms = run.runToEnd(new PushToServer(QJsonObject{{"sn", "x"}}, PushToServer::DevSubmit));
    QVERIFY2(ms >= atLeastMs && ms <= atMostMs, qPrintable(QString::number(ms)));
    QVERIFY(run.idle());
    QCOMPARE(local.requests().size(), server == 2 ? 0 : 1);
    QCOMPARE(log.countOf(QtCriticalMsg, QString()), critical.isEmpty() ? 0 : 1);
    if (!critical.isEmpty())
        QVERIFY(log.count(critical, true, QtCriticalMsg) == 1);
}

void tst_CloudRequest::queryHandsThePackageToItsReceiver_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("package");
    QTest::addColumn<QByteArray>("pcVersion");
    QTest::addColumn<QString>("path");
    const QByteArray firmware = "\"pc_version\":\"1.0.5.4\",";
    const QString path = QStringLiteral("/firmware/dev_query/");
    QTest::newRow("firmware, one good package") << 1 << kPackageReply << true << firmware << path;
    QTest::newRow("software: no pc_version") << 0 << kPackageReply << true << QByteArray() << path;
    QTest::newRow("another platform") << 1 << QByteArray(kPackageReply).replace("SSC336Q", "SSC339G") << false
                                      << firmware << path;
    QTest::newRow("error code") << 1 << QByteArray("{\"errorcode\":404,\"reason\":\"none\"}") << false << firmware
                                << path;
    // Only an a.b.c.d version becomes a package, for the software too.
    for (const char* version : {".1", "1.0.0.", "1.0.0", "1.0.0.0.0", "a.b.c.d", "1.0.0.256"})
        QTest::newRow(qPrintable(QStringLiteral("software, version %1").arg(QLatin1String(version))))
            << 0 << QByteArray(kPackageReply).replace("\"1.0.4.0\"", "\"" + QByteArray(version) + "\"") << false
            << QByteArray() << path;
    QTest::newRow("percent-encoded path") << 1 << kPackageReply << true << firmware << "/a%20b/dev_query/";
}

void tst_CloudRequest::queryHandsThePackageToItsReceiver()
{
    QFETCH(int, type);
    QFETCH(QByteArray, reply);
    QFETCH(bool, package);
    QFETCH(QByteArray, pcVersion);
    QFETCH(QString, path);
    GlobalParams::get().fw_query_url = server_.url(path);
    server_.setAnswer({200, reply, false});
    Receiver receiver;
    CloudTaskRun run;
    run.runToEnd(firmwareQuery(&receiver, type));
    QVERIFY(QTest::qWaitFor([&] { return !receiver.got.isEmpty(); }, 3000));
    QCOMPARE(receiver.got.size(), 1);
    QCOMPARE(receiver.got.first().value("version").toString(), package ? QStringLiteral("1.0.4.0") : QString());
    QCOMPARE(receiver.got.first().isEmpty(), !package);
    QCOMPARE(server_.requests().size(), 1);
    QCOMPARE(server_.requests().first().requestLine, "POST " + path.toLatin1() + " HTTP/1.1");
    QCOMPARE(server_.requests().first().body,
             "{\"branch\":\"OA_E\",\"device_info\":\"\",\"latest\":\"true\"," + pcVersion
                 + "\"platform\":\"SSC336Q\",\"product\":\"Kestro_orla\",\"seqid\":\"7\",\"status\":\"release\","
                   "\"version\":\"1.0.3.7\"}");
}

// Deleted before the task ran, or after it handed its result over but
// before the window's thread took it.
void tst_CloudRequest::queryReceiverDeletedMeanwhile_data()
{
    QTest::addColumn<bool>("afterHandOver");
    QTest::newRow("before the reply") << false;
    QTest::newRow("after the hand-over") << true;
}

void tst_CloudRequest::queryReceiverDeletedMeanwhile()
{
    QFETCH(bool, afterHandOver);
    server_.setAnswer({200, kPackageReply, false});
    auto* receiver = new Receiver;
    CloudTaskRun run;
    run.pool.start(firmwareQuery(receiver));
    if (afterHandOver) {
        QVERIFY(server_.waitForRequests(1));
        QVERIFY(run.threads.waitForDone(8000));  // no events run here: the call stays queued
    }
    delete receiver;
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 8000);
    QTest::qWait(50);  // the queued call, if any, comes and finds nobody
    QCOMPARE(server_.requests().size(), 1);
}

// Only plain http is spoken: another scheme is not sent to its host as
// plain HTTP either.
void tst_CloudRequest::queryWithoutUrlCallsNobody_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("message");
    QTest::newRow("no URL") << QString() << "^Start http client request failed$";
    QTest::newRow("https") << "https" << "^Start http client request failed: not an http URL";
    QTest::newRow("ftp") << "ftp" << "^Start http client request failed: not an http URL";
}

void tst_CloudRequest::queryWithoutUrlCallsNobody()
{
    QFETCH(QString, scheme);
    QFETCH(QString, message);
    QString& url = GlobalParams::get().fw_query_url;
    url = scheme.isEmpty() ? QString() : url.replace(QRegularExpression("^http"), scheme);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
    Receiver receiver;
    CloudTaskRun run;
    QVERIFY(run.runToEnd(firmwareQuery(&receiver)) < 1000);
    QTest::qWait(50);
    QVERIFY(receiver.got.isEmpty());
    QCOMPARE(server_.requests().size(), 0);
}

QTEST_GUILESS_MAIN(tst_CloudRequest)
#include "tst_cloudrequest.moc"
