#include "support/TestHome.h"
#include "support/HttpTestSupport.h"
#include "support/LogCapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace httptest;
using qhttp::client::QHttpClient;
using qhttp::client::QHttpRequest;
using qhttp::client::QHttpResponse;

namespace {

// A loopback port whose listen queue is full, so that a connection attempt
// to it hangs (the kernel drops the SYN).
class FullBacklog
{
public:
    FullBacklog()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 0) != 0
            || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        for (int i = 0; i < 8 && !full_; ++i) {
            fillers_.emplace_back(new QTcpSocket);
            fillers_.back()->connectToHost(kLoopback, port_);
            full_ = !fillers_.back()->waitForConnected(300);
        }
    }
    ~FullBacklog()
    {
        fillers_.clear();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isFull() const { return full_; }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)); }

private:
    int fd_ = -1;
    quint16 port_ = 0;
    bool full_ = false;
    std::vector<std::unique_ptr<QTcpSocket>> fillers_;
};

} // namespace

class tst_HttpClientFaults : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void refusedAtOnce_data();
    void refusedAtOnce();
    void reservedNamesNotLookedUp_data();
    void reservedNamesNotLookedUp();
    void connectingTimeOut();
    void connectingTimerStopsOnConnect();
    void idleTimeOut();
    void idleRestartedByTraffic();
    void brokenAnswers_data();
    void brokenAnswers();
    void unaskedAnswerIgnored();
    void teardownInsideCallbacks_data();
    void teardownInsideCallbacks();
    void newRequestFromEnd();
    void retryFromFailed_data();
    void retryFromFailed();
};

void tst_HttpClientFaults::refusedAtOnce_data()
{
    addBackendRows();
}

// Refused long before the 30 s guard, and never from inside request(), so
// the caller can still connect to failed.
void tst_HttpClientFaults::refusedAtOnce()
{
    QFETCH(bool, local);
    QTemporaryDir dir;
    QUrl url = QUrl::fromLocalFile(dir.filePath(QStringLiteral("none")));
    if (!local) {
        QTcpServer closed;
        QVERIFY(closed.listen(kLoopback, 0));
        url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    }
    QHttpClient client;
    QSignalSpy connectingTimeOuts(&client, &QHttpClient::connectingTimeOut);
    client.setConnectingTimeOut(30000);
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, url, nullptr, -1, 30000);
    QVERIFY(out.started);
    QCOMPARE(out.failures, 1);
    QVERIFY(!out.failedInsideRequest);
    QVERIFY2(out.elapsedMs < 2000, QByteArray::number(out.elapsedMs));
    QCOMPARE(out.responseHandlerCalls, 0);
    QCOMPARE(client.errorString(), out.reason);
    QTest::qWait(50);
    QCOMPARE(connectingTimeOuts.count(), 0);
    QCOMPARE(client.backendType(), local ? qhttp::ELocalSocket : qhttp::ETcpSocket);
}

void tst_HttpClientFaults::reservedNamesNotLookedUp_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("reserved");
    // A name of its own each: the notice comes once per host.
    QTest::newRow("the default firmware server") << "firmware.kestro.invalid" << true;
    QTest::newRow("upper case") << "Upper.Case.INVALID" << true;
    QTest::newRow("trailing dot") << "trailing.dot.invalid." << true;
    QTest::newRow("the domain itself") << "invalid" << true;
    // Looked up, in the hosts file, and refused.
    QTest::newRow("localhost") << "localhost" << false;
}

// A name under .invalid never resolves: the request fails at once for that
// reason, without a look-up (which would fail as "Host not found", after
// asking the network's resolver), and the log says so once.
void tst_HttpClientFaults::reservedNamesNotLookedUp()
{
    QFETCH(QString, host);
    QFETCH(bool, reserved);
    QTcpServer closed;
    QVERIFY(closed.listen(kLoopback, 0));
    const QUrl url(QStringLiteral("http://%1:%2/firmware/dev_query/").arg(host).arg(closed.serverPort()));
    closed.close();
    LogCapture log;
    for (int round = 0; round < 2; ++round) {
        QHttpClient client;
        const Outcome out = runExchange(client, qhttp::EHTTP_POST, url, nullptr, -1, 30000);
        QVERIFY(out.started);
        QCOMPARE(out.failures, 1);
        QVERIFY(!out.failedInsideRequest);
        QCOMPARE(out.responseHandlerCalls, 0);
        QVERIFY2(out.elapsedMs < 2000, QByteArray::number(out.elapsedMs));
        QVERIFY2(out.reason.contains(QStringLiteral("not configured")) == reserved, qPrintable(out.reason));
    }
    QCOMPARE(log.count(QStringLiteral("Server not configured: ") + url.host()), reserved ? 1 : 0);
}

// The connecting time-out only tells; the attempt goes on.
void tst_HttpClientFaults::connectingTimeOut()
{
    FullBacklog backlog;
    if (!backlog.isFull())
        QSKIP("the listen queue could not be filled here");
    QHttpClient client;
    QSignalSpy failures(&client, &QHttpClient::failed);
    QSignalSpy timeOuts(&client, &QHttpClient::connectingTimeOut);
    QVERIFY(client.request(qhttp::EHTTP_GET, backlog.url(), nullptr, [](QHttpResponse*) {}));
    client.setConnectingTimeOut(100);
    client.setConnectingTimeOut(0); // stopped again
    QTest::qWait(250);
    QCOMPARE(timeOuts.count(), 0);

    QElapsedTimer clock;
    clock.start();
    client.setConnectingTimeOut(200);
    QVERIFY(timeOuts.wait(kWaitMs));
    QVERIFY2(clock.elapsed() >= 150, QByteArray::number(clock.elapsed()));
    QCOMPARE(failures.count(), 0);
    QCOMPARE(client.tcpSocket()->state(), QAbstractSocket::ConnectingState);
}

// A connection made in time silences the connecting timer, however long the
// answer then takes.
void tst_HttpClientFaults::connectingTimerStopsOnConnect()
{
    RawServer slow;
    QVERIFY(slow.listen());
    slow.onRequest = [](QTcpSocket* socket) {
        QTimer::singleShot(400, socket, [socket] {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        });
    };
    QHttpClient client;
    QSignalSpy timeOuts(&client, &QHttpClient::connectingTimeOut);
    client.setConnectingTimeOut(200);
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(slow.url()));
    QCOMPARE(out.body, QByteArray("ok"));
    QVERIFY2(out.elapsedMs >= 350, QByteArray::number(out.elapsedMs));
    QCOMPARE(timeOuts.count(), 0);
}

void tst_HttpClientFaults::idleTimeOut()
{
    RawServer silent;
    QVERIFY(silent.listen());
    QHttpClient client;
    client.setTimeOut(200);
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(silent.url()));
    QCOMPARE(out.failures, 1);
    QCOMPARE(out.ends, 0);
    QVERIFY(out.reason.contains(QStringLiteral("no traffic")));
    QVERIFY2(out.elapsedMs >= 150 && out.elapsedMs < 3000, QByteArray::number(out.elapsedMs));
    QVERIFY(!client.isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(silent.sockets.value(0) && silent.sockets.value(0)->state() == QAbstractSocket::UnconnectedState,
                             kWaitMs);
}

// A body trickling in over longer than the time-out, but never pausing that
// long, is not cut. A byte every 50 ms, 45 in all, against 2 s: a loaded
// machine may hold the drip back by far more than 50 ms, never by 2 s.
void tst_HttpClientFaults::idleRestartedByTraffic()
{
    RawServer slow;
    QVERIFY(slow.listen());
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nabcdef";
    constexpr int kTimeOutMs = 2000;
    int sent = 0;
    QTimer drip;
    connect(&drip, &QTimer::timeout, this, [&] {
        if (slow.sockets.value(0) && sent < answer.size())
            slow.sockets.value(0)->write(answer.mid(sent++, 1));
    });
    drip.start(50);
    QHttpClient client;
    client.setTimeOut(kTimeOutMs);
    // Held back each time, the drip may take far longer than 2.25 s in all.
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(slow.url()), nullptr, -1, 60000);
    QCOMPARE(out.failures, 0);
    QCOMPARE(out.body, QByteArray("abcdef"));
    QVERIFY2(out.elapsedMs >= kTimeOutMs, QByteArray::number(out.elapsedMs));
}

void tst_HttpClientFaults::brokenAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("close");
    QTest::addColumn<int>("handlerCalls");
    QTest::newRow("short of its length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789") << true << 1;
    QTest::newRow("chunk cut") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n") << true << 1;
    QTest::newRow("head cut") << QByteArray("HTTP/1.1 200 OK\r\nContent-Le") << true << 0;
    QTest::newRow("nothing") << QByteArray() << true << 0;
    QTest::newRow("not http") << QByteArray("NOTHTTP\r\n\r\n") << false << 0;
    QTest::newRow("bad status") << QByteArray("HTTP/1.1 2x0 OK\r\n\r\n") << false << 0;
    QTest::newRow("bad chunk") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n") << false << 1;
    QTest::newRow("head over 80 KiB") << QByteArray("HTTP/1.1 200 OK\r\nX-Big: " + QByteArray(90 * 1024, 'a') + "\r\n\r\n")
                                      << false << 0;
}

// Cut short by the peer or malformed (with the peer still open): a failure
// at once, never a complete response, and the connection is closed.
void tst_HttpClientFaults::brokenAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, close);
    QFETCH(int, handlerCalls);
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith(answer, close);
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url()));
    QCOMPARE(out.ends, 0);
    QCOMPARE(out.failures, 1);
    QCOMPARE(out.responseHandlerCalls, handlerCalls);
    QCOMPARE(out.responseFailures, handlerCalls);
    QVERIFY(out.elapsedMs < 3000);
    QVERIFY(!client.isOpen());
}

// A second answer that no request asked for neither ends the exchange again
// nor replaces the first; the connection is dropped.
void tst_HttpClientFaults::unaskedAnswerIgnored()
{
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"
                   "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 3\r\n\r\nbad",
                   false);
    QHttpClient client;
    const Outcome out = runExchange(client, qhttp::EHTTP_GET, QUrl(raw.url()));
    QCOMPARE(out.ends, 1);
    QCOMPARE(out.responseHandlerCalls, 1);
    QCOMPARE(out.failures, 0);
    QCOMPARE(out.status, 200);
    QCOMPARE(out.body, QByteArray("ok"));
    QVERIFY(!client.isOpen());
}

void tst_HttpClientFaults::teardownInsideCallbacks_data()
{
    QTest::addColumn<QString>("mode");
    for (const char* mode : {"delete client in request handler", "delete client in response handler",
                             "delete client at end", "delete client on data", "delete client on failed",
                             "kill connection in response handler", "delete response in response handler"})
        QTest::newRow(mode) << QString::fromLatin1(mode);
}

// The client or its response may go from inside the parser's callbacks and
// the socket's signals; nothing touches them afterwards (ASan watches).
void tst_HttpClientFaults::teardownInsideCallbacks()
{
    QFETCH(QString, mode);
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody", false);
    const QUrl url(raw.url());
    const bool refused = mode.endsWith("on failed");
    if (refused)
        raw.server.close();

    QPointer<QHttpClient> client = new QHttpClient;
    QSignalSpy failures(client.data(), &QHttpClient::failed);
    const auto dropClient = [&] { delete client; };
    if (refused)
        connect(client, &QHttpClient::failed, this, dropClient);
    bool answered = false;
    QVERIFY(client->request(qhttp::EHTTP_GET, url,
                            [&](QHttpRequest* req) {
                                if (mode == "delete client in request handler")
                                    return dropClient();
                                req->end();
                            },
                            [&](QHttpResponse* res) {
                                answered = true;
                                if (mode == "delete client in response handler")
                                    dropClient();
                                else if (mode == "kill connection in response handler")
                                    client->killConnection();
                                else if (mode == "delete response in response handler")
                                    delete res;
                                else if (mode == "delete client at end")
                                    connect(res, &QHttpResponse::end, this, dropClient);
                                else if (mode == "delete client on data")
                                    connect(res, &QHttpResponse::data, this, dropClient);
                            }));
    if (mode.startsWith("delete client")) {
        QTRY_VERIFY_WITH_TIMEOUT(client.isNull(), kWaitMs);
    } else {
        // The answer came, and what follows it has time to touch what went.
        QTRY_VERIFY_WITH_TIMEOUT(answered, kWaitMs);
        QTest::qWait(200);
    }
    if (mode.startsWith("kill"))
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, kWaitMs);
    delete client;
}

// Follow-up requests from inside the end of the previous one reuse the
// kept-alive connection.
void tst_HttpClientFaults::newRequestFromEnd()
{
    RawServer raw;
    QVERIFY(raw.listen());
    raw.answerWith("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok", false);
    QHttpClient client;
    int ends = 0;
    std::function<void()> next = [&] {
        const auto keep = [](QHttpRequest* req) {
            req->addHeader("connection", "keep-alive");
            req->end();
        };
        client.request(qhttp::EHTTP_GET, QUrl(raw.url()), keep, [&](QHttpResponse* res) {
            connect(res, &QHttpResponse::end, this, [&] {
                if (++ends < 3)
                    next();
            });
        });
    };
    next();
    QTRY_COMPARE_WITH_TIMEOUT(ends, 3, kWaitMs);
    QCOMPARE(raw.sockets.size(), 1);
}

void tst_HttpClientFaults::retryFromFailed_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QByteArray>("firstAnswer");
    QTest::addColumn<bool>("close");
    QTest::addColumn<quint32>("timeOut");
    QTest::newRow("refused") << true << QByteArray() << false << 0u;
    QTest::newRow("cut by the close") << false << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc") << true << 0u;
    QTest::newRow("malformed, left open") << false << QByteArray("NOTHTTP\r\n\r\n") << false << 0u;
    QTest::newRow("malformed after keep-alive")
        << false << QByteArray("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 1x\r\n\r\n") << false << 0u;
    QTest::newRow("idle time-out") << false << QByteArray() << false << 200u;
}

// A receiver of failed may start the next exchange at once; the failed one's
// clean-up must not take the new connection with it.
void tst_HttpClientFaults::retryFromFailed()
{
    QFETCH(bool, refused);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(bool, close);
    QFETCH(quint32, timeOut);
    RawServer raw;
    QVERIFY(raw.listen());
    int served = 0;
    raw.onRequest = [&](QTcpSocket* socket) {
        const bool first = served++ == 0 && !refused;
        socket->write(first ? firstAnswer : QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
        if (!first || close)
            socket->disconnectFromHost();
    };
    QTcpServer closed;
    QVERIFY(closed.listen(kLoopback, 0));
    const QUrl firstUrl = refused ? QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort())) : QUrl(raw.url());
    closed.close();

    QHttpClient client;
    client.setTimeOut(timeOut);
    int failures = 0;
    int ends = 0;
    QByteArray body;
    const auto collect = [&](QHttpResponse* res) {
        res->collectData(-1);
        connect(res, &QHttpResponse::end, this, [&, res] {
            ++ends;
            body = res->collectedData();
        });
    };
    connect(&client, &QHttpClient::failed, this, [&] {
        if (++failures == 1)
            QVERIFY(client.request(qhttp::EHTTP_GET, QUrl(raw.url("/again")), nullptr, collect));
    });
    const auto keepAlive = [](QHttpRequest* req) {
        req->addHeader("connection", "keep-alive");
        req->end();
    };
    QVERIFY(client.request(qhttp::EHTTP_GET, firstUrl, keepAlive, collect));
    QTRY_COMPARE_WITH_TIMEOUT(ends, 1, kWaitMs);
    QCOMPARE(failures, 1);
    QCOMPARE(body, QByteArray("ok"));
    QVERIFY(raw.lastRequest(raw.sockets.size() - 1).startsWith("GET /again HTTP/1.1\r\n"));
}

QTEST_GUILESS_MAIN(tst_HttpClientFaults)
#include "tst_httpclientfaults.moc"
