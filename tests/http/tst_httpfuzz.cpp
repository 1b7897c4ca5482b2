#include "support/TestHome.h"
#include "support/HttpTestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace httptest;
using qhttp::server::QHttpRequest;
using qhttp::server::QHttpResponse;
using qhttp::server::QHttpServer;

namespace {

const quint32 kSeed = 20240607;
const int kRounds = 150;

const QByteArray kRequests[] = {
    "POST /upload?a=1 HTTP/1.1\r\nHost: x\r\nContent-Length: 20\r\n\r\n0123456789abcdefghij",
    "POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\nX-E:\r\n\r\n4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n",
    "GET /plain HTTP/1.1\r\nAccept: */*\r\nX-Empty:\r\n\r\n",
};

const QByteArray kResponses[] = {
    "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 20\r\n\r\n0123456789abcdefghij",
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n",
};

// Bytes that look enough like HTTP to reach the parser's deeper states.
QByteArray noise(QRandomGenerator& rng)
{
    static const char* const tokens[] = {"GET ", "POST ", "HTTP/1.1", "HTTP/1.0 200 OK", "\r\n", ": ",
                                         " ", "Content-Length: ", "Transfer-Encoding: chunked", "0",
                                         "5", "ffffffffffffffff", "\r\n\r\n", "/", "?", "%", "\t"};
    QByteArray bytes;
    const int pieces = rng.bounded(1, 40);
    for (int i = 0; i < pieces; ++i) {
        if (rng.bounded(3) == 0)
            bytes += static_cast<char>(rng.bounded(256));
        else
            bytes += tokens[rng.bounded(int(sizeof tokens / sizeof *tokens))];
    }
    return bytes;
}

// Sends bytes in random pieces, letting the server read between them.
void sendInPieces(QTcpSocket& socket, const QByteArray& bytes, QRandomGenerator& rng)
{
    for (int at = 0; at < bytes.size();) {
        const int piece = rng.bounded(1, 32);
        send(socket, bytes.mid(at, piece));
        at += piece;
        if (rng.bounded(4) == 0)
            QTest::qWait(1);
    }
}

// Serves bytes in random pieces to the client's request, then closes, and
// reports how the exchange ended.
Outcome serveToClient(const QByteArray& bytes, QRandomGenerator& rng)
{
    RawServer raw;
    if (!raw.listen())
        return Outcome();
    raw.onRequest = [&](QTcpSocket* socket) {
        sendInPieces(*socket, bytes, rng);
        socket->disconnectFromHost();
    };
    qhttp::client::QHttpClient client;
    return runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url()), nullptr, rng.bounded(2) ? -1 : 0);
}

} // namespace

class tst_HttpFuzz : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

    struct ServerCounts
    {
        int handled = 0;
        int ends = 0;
        int failures = 0;
    };

    void startServer(QHttpServer& server, ServerCounts& counts, QRandomGenerator& rng)
    {
        QVERIFY(server.listen(kLoopback, 0, [&](QHttpRequest* req, QHttpResponse* res) {
            ++counts.handled;
            if (rng.bounded(2))
                req->collectData(-1);
            connect(req, &QHttpRequest::end, res, [&counts, res] {
                ++counts.ends;
                res->setStatusCode(qhttp::ESTATUS_OK);
                res->end();
            });
            connect(req, &QHttpRequest::failed, this, [&counts] { ++counts.failures; });
        }));
    }

private slots:
    void serverNeverCompletesCutRequests();
    void serverSurvivesNoise();
    void clientNeverCompletesCutResponses();
    void clientEndsNoiseOnce();
};

void tst_HttpFuzz::serverNeverCompletesCutRequests()
{
    QRandomGenerator rng(kSeed);
    ServerCounts counts;
    QHttpServer server;
    startServer(server, counts, rng);
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray& whole = kRequests[rng.bounded(3)];
        const QByteArray cut = whole.left(rng.bounded(whole.size()));
        QTcpSocket socket;
        QVERIFY(connectRaw(socket, server.tcpServer()->serverPort()));
        sendInPieces(socket, cut, rng);
        QTest::qWait(2);
        socket.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, kWaitMs);
    }
    QCOMPARE(counts.ends, 0);
    QCOMPARE(counts.failures, counts.handled);
    QVERIFY(counts.handled > 0); // some cuts got past the head

    // Whole requests in random pieces still complete.
    for (const QByteArray& whole : kRequests) {
        QTcpSocket socket;
        QVERIFY(connectRaw(socket, server.tcpServer()->serverPort()));
        sendInPieces(socket, whole, rng);
        QVERIFY(readRaw(socket).startsWith("HTTP/1.1 200 OK\r\n"));
    }
    QCOMPARE(counts.ends, 3);
}

// Every request that reached the handler ends exactly once, one way or the
// other, and the server is still serving afterwards.
void tst_HttpFuzz::serverSurvivesNoise()
{
    QRandomGenerator rng(kSeed + 1);
    ServerCounts counts;
    QHttpServer server;
    startServer(server, counts, rng);
    for (int round = 0; round < kRounds; ++round) {
        QTcpSocket socket;
        QVERIFY(connectRaw(socket, server.tcpServer()->serverPort()));
        sendInPieces(socket, noise(rng), rng);
        QTest::qWait(2);
        socket.abort();
        QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, kWaitMs);
    }
    QCOMPARE(counts.ends + counts.failures, counts.handled);
    QCOMPARE(exchangeRaw(server.tcpServer()->serverPort(), kRequests[2]).firstLine, QByteArray("HTTP/1.1 200 OK"));
}

void tst_HttpFuzz::clientNeverCompletesCutResponses()
{
    QRandomGenerator rng(kSeed + 2);
    int ends = 0;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray& whole = kResponses[rng.bounded(2)];
        const Outcome out = serveToClient(whole.left(rng.bounded(whole.size())), rng);
        ends += out.ends;
        failures += out.failures;
    }
    QCOMPARE(ends, 0);
    QCOMPARE(failures, kRounds);
}

void tst_HttpFuzz::clientEndsNoiseOnce()
{
    QRandomGenerator rng(kSeed + 3);
    for (int round = 0; round < kRounds; ++round) {
        const QByteArray bytes = noise(rng);
        const Outcome out = serveToClient(bytes, rng);
        QVERIFY2(out.ends + out.failures == 1, bytes.toPercentEncoding().constData());
    }
}

QTEST_GUILESS_MAIN(tst_HttpFuzz)
#include "tst_httpfuzz.moc"
