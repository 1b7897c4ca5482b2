#include "support/TestHome.h"
#include "support/HttpTestSupport.h"

#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QtTest>

using namespace httptest;
using qhttp::client::QHttpClient;
using qhttp::client::QHttpRequest;
using qhttp::client::QHttpResponse;

namespace {

const QByteArray kShortAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

} // namespace

class tst_HttpClient : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void requestWire_data();
    void requestWire();
    void postBody();
    void responses_data();
    void responses();
    void headAnswerHasNoBody();
    void keepAliveReuse();
    void collectLimits_data();
    void collectLimits();
    void defaultPort();
    void invalidUrls_data();
    void invalidUrls();
    void againstOwnServer_data();
    void againstOwnServer();
    void acrossThreads();
};

void tst_HttpClient::requestWire_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::newRow("path and query") << "/a/b?x=1" << QByteArray("GET /a/b?x=1 HTTP/1.1");
    QTest::newRow("no path") << "" << QByteArray("GET / HTTP/1.1");
    QTest::newRow("empty query") << "/p?" << QByteArray("GET /p? HTTP/1.1");
    QTest::newRow("fragment") << "/p#frag" << QByteArray("GET /p HTTP/1.1");
    QTest::newRow("encoded") << "/a%20b/c" << QByteArray("GET /a%20b/c HTTP/1.1");
}

// Without a request handler the request is its first line, "host" and
// "connection: close", and no body.
void tst_HttpClient::requestWire()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, firstLine);
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith(kShortAnswer, true);
    QHttpClient client;
    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url(path))).body, QByteArray("ok"));
    const RawMessage request = splitMessage(raw.lastRequest());
    QCOMPARE(request.firstLine, firstLine);
    const QSet<QByteArray> headers{"host: 127.0.0.1:" + QByteArray::number(raw.port()), "connection: close"};
    QCOMPARE(request.headerLines, headers);
    QVERIFY(request.body.isEmpty());
}

void tst_HttpClient::postBody()
{
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith(kShortAnswer, true);
    const QByteArray body = R"({"cmd":"x"})";
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_POST, QUrl(raw.url("/post")), [&](QHttpRequest* req) {
        req->addHeader("Content-Type", "Application/JSON");
        req->addHeaderInt("content-length", body.size());
        req->end(body);
    });
    QCOMPARE(out.ends, 1);
    const QByteArray wire = raw.lastRequest();
    QVERIFY2(wire.startsWith("POST /post HTTP/1.1\r\n"), wire.constData());
    QVERIFY(wire.endsWith("\r\n\r\n" + body));
    const QSet<QByteArray> headers{"host: 127.0.0.1:" + QByteArray::number(raw.port()), "connection: close",
                                   "content-type: Application/JSON", "content-length: 11"};
    QCOMPARE(splitMessage(wire).headerLines, headers);
}

void tst_HttpClient::responses_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("close");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("statusString");
    QTest::addColumn<QString>("version");
    QTest::addColumn<qhttp::THeaderHash>("headers");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: Text/HTML\r\nContent-Length: 5\r\nX-A: B\r\n\r\nhello")
                            << false << 200 << "OK" << "1.1"
                            << qhttp::THeaderHash{{"content-type", "Text/HTML"}, {"content-length", "5"}, {"x-a", "B"}}
                            << QByteArray("hello");
    QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n")
                             << false << 200 << "OK" << "1.1" << qhttp::THeaderHash{{"transfer-encoding", "chunked"}}
                             << QByteArray("Wikipedia");
    QTest::newRow("until close") << QByteArray("HTTP/1.0 201 Created\r\nServer: x\r\n\r\nall of it")
                                 << true << 201 << "Created" << "1.0" << qhttp::THeaderHash{{"server", "x"}}
                                 << QByteArray("all of it");
    QTest::newRow("empty value") << QByteArray("HTTP/1.1 204 No Content\r\nX-Empty:\r\nX-Next: v\r\n\r\n")
                                 << false << 204 << "No Content" << "1.1"
                                 << qhttp::THeaderHash{{"x-empty", ""}, {"x-next", "v"}} << QByteArray();
    QTest::newRow("no header lines") << QByteArray("HTTP/1.1 404 Not Found\r\n\r\n")
                                     << true << 404 << "Not Found" << "1.1" << qhttp::THeaderHash() << QByteArray();
    QTest::newRow("no reason") << QByteArray("HTTP/1.1 299 \r\nContent-Length: 0\r\n\r\n")
                               << false << 299 << "" << "1.1" << qhttp::THeaderHash{{"content-length", "0"}} << QByteArray();
    QTest::newRow("continue first") << QByteArray("HTTP/1.1 100 Continue\r\n\r\n" + kShortAnswer)
                                    << false << 200 << "OK" << "1.1" << qhttp::THeaderHash{{"content-length", "2"}}
                                    << QByteArray("ok");
}

// Names come lower-cased and values exactly as sent; a delimited body ends
// the response without waiting for the close.
void tst_HttpClient::responses()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, close);
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith(answer, close);
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url()));
    QCOMPARE(out.failures, 0);
    QCOMPARE(out.ends, 1);
    QCOMPARE(out.responseHandlerCalls, 1);
    QVERIFY(out.successful);
    QTEST(out.status, "status");
    QTEST(out.statusString, "statusString");
    QTEST(out.version, "version");
    QTEST(out.headers, "headers");
    QTEST(out.body, "body");
}

void tst_HttpClient::headAnswerHasNoBody()
{
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", false);
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_HEAD, QUrl(raw.url("/h")));
    QCOMPARE(out.ends, 1);
    QCOMPARE(out.headers.value("content-length"), QByteArray("5"));
    QVERIFY(raw.lastRequest().startsWith("HEAD /h HTTP/1.1\r\n"));
}

// A kept-alive connection serves the next request to the same place at
// once; another port gets a connection of its own.
void tst_HttpClient::keepAliveReuse()
{
    RawServer first;
    RawServer second;
    QVERIFY(first.listen() && second.listen());
    const QByteArray keepAnswer = "HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok";
    first.answerWith(keepAnswer, false);
    second.answerWith(keepAnswer, false);
    bool handlerRan = false;
    const auto keepAlive = [&](QHttpRequest* req) {
        handlerRan = true;
        req->addHeader("connection", "keep-alive");
        req->end();
    };
    QHttpClient client;
    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(first.url("/1")), keepAlive).ends, 1);
    QVERIFY(client.isOpen());

    handlerRan = false;
    int ends = 0;
    QVERIFY(client.request(qhttp::EHTTP_GET, QUrl(first.url("/2")), keepAlive, [&](QHttpResponse* res) {
        connect(res, &QHttpResponse::end, this, [&] { ++ends; });
    }));
    QVERIFY(handlerRan); // the connection was there, so the request went out at once
    QTRY_COMPARE_WITH_TIMEOUT(ends, 1, kWaitMs);
    QCOMPARE(first.sockets.size(), 1);
    QVERIFY(first.lastRequest().startsWith("GET /2 HTTP/1.1\r\n"));

    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(second.url("/3")), keepAlive).ends, 1);
    QCOMPARE(second.sockets.size(), 1);
    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(first.url("/4"))).ends, 1);
    QCOMPARE(first.sockets.size(), 2);
    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(first.url("/5"))).ends, 1);
    QCOMPARE(first.sockets.size(), 3); // the one before asked to close
}

void tst_HttpClient::collectLimits_data()
{
    QTest::addColumn<int>("collect");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("fails");
    const int mib = 1024 * 1024;
    QTest::newRow("within 10") << 10 << 10 << false;
    QTest::newRow("over 10") << 10 << 11 << true;
    QTest::newRow("default at 16 MiB") << -1 << 16 * mib << false;
    QTest::newRow("default over 16 MiB") << -1 << 16 * mib + 1 << true;
    QTest::newRow("raised to 20 MiB") << 20 * mib << 17 * mib << false;
    QTest::newRow("streaming has no limit") << 0 << 20 * mib << false;
}

void tst_HttpClient::collectLimits()
{
    QFETCH(int, collect);
    QFETCH(int, size);
    QFETCH(bool, fails);
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(size) + "\r\n\r\n" + QByteArray(size, 'z'),
                   false);
    QHttpClient client;
    // Bounded far above a loaded run: 16 MiB through a sanitised client take a while.
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url()), nullptr, collect, 120000);
    QCOMPARE(out.failures, fails ? 1 : 0);
    QCOMPARE(out.responseFailures, fails ? 1 : 0);
    QCOMPARE(out.ends, fails ? 0 : 1);
    if (!fails)
        QCOMPARE(collect == 0 ? out.streamed : qint64(out.body.size()), qint64(size));
}

// A URL without a port goes to port 80 and says so in "host".
void tst_HttpClient::defaultPort()
{
    RawServer raw;
    if (!raw.server.listen(kLoopback, 80))
        QSKIP("port 80 of the loopback address is not free here");
    raw.answerWith(kShortAnswer, true);
    QHttpClient client;
    QCOMPARE(runExchange(client, qhttp::EHTTP_GET, QUrl(QStringLiteral("http://127.0.0.1/d"))).body, QByteArray("ok"));
    QVERIFY(splitMessage(raw.lastRequest()).headerLines.contains("host: 127.0.0.1:80"));
}

void tst_HttpClient::invalidUrls_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::newRow("empty") << QUrl();
    QTest::newRow("invalid") << QUrl(QStringLiteral("http://exa mple.com:99999/"));
}

void tst_HttpClient::invalidUrls()
{
    QFETCH(QUrl, url);
    QHttpClient client;
    QVERIFY(!client.request(qhttp::EHTTP_GET, url, nullptr, [](QHttpResponse*) {}));
    QVERIFY(!client.tcpSocket() && !client.localSocket() && !client.isOpen());
}

void tst_HttpClient::againstOwnServer_data()
{
    addBackendRows();
}

void tst_HttpClient::againstOwnServer()
{
    QFETCH(bool, local);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("http.sock"));
    qhttp::server::QHttpServer server;
    QVERIFY(local ? server.listen(name, echoHandler) : server.listen(kLoopback, 0, echoHandler));
    const QUrl url = local ? QUrl::fromLocalFile(name)
                           : QUrl(QStringLiteral("http://127.0.0.1:%1/up").arg(server.tcpServer()->serverPort()));
    const QByteArray body(100000, 'q');
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_POST, url, [&](QHttpRequest* req) {
        req->addHeaderInt("content-length", body.size());
        req->end(body);
    });
    QCOMPARE(out.status, 200);
    QCOMPARE(out.headers.value("x-method"), QByteArray("POST"));
    QCOMPARE(out.body, body);
    QCOMPARE(client.backendType(), local ? qhttp::ELocalSocket : qhttp::ETcpSocket);
}

// As the program runs them: the server on a thread of its own, clients on
// pool threads, each in its own local event loop. Four at once: a server
// keeps no more for one peer, and all of them come from this machine.
void tst_HttpClient::acrossThreads()
{
    QThread serverThread;
    serverThread.start();
    QObject context;
    context.moveToThread(&serverThread);
    qhttp::server::QHttpServer* server = nullptr;
    quint16 port = 0;
    QMetaObject::invokeMethod(&context, [&] {
        server = new qhttp::server::QHttpServer;
        if (server->listen(kLoopback, 0, echoHandler))
            port = server->tcpServer()->serverPort();
    }, Qt::BlockingQueuedConnection);
    QVERIFY(port != 0);

    QAtomicInt good = 0;
    QThreadPool pool;
    for (int i = 0; i < 4; ++i) {
        pool.start([&, i] {
            const QByteArray body = QByteArray::number(i).repeated(1000);
            QHttpClient client;
            const Outcome out = runExchange(client, qhttp::EHTTP_POST, QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)),
                                            [&](QHttpRequest* req) {
                                                req->addHeaderInt("content-length", body.size());
                                                req->end(body);
                                            });
            if (out.status == 200 && out.body == body)
                good.ref();
        });
    }
    QVERIFY(pool.waitForDone(10000));
    QCOMPARE(int(good), 4);
    QMetaObject::invokeMethod(&context, [&] { delete server; }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    QVERIFY(serverThread.wait(kWaitMs));
}

QTEST_GUILESS_MAIN(tst_HttpClient)
#include "tst_httpclient.moc"
