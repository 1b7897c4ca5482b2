#pragma once

// Peers for the HTTP tests: plain sockets on loopback whose bytes the tests
// write and read literally, and one client exchange run the way the
// program's callers run it.

#include "http/QHttpClient.h"
#include "http/QHttpServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QLocalSocket>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace httptest {

const QHostAddress kLoopback(QHostAddress::LocalHost);
const int kWaitMs = 5000;
// A whole answer read until the server closes: a bound only for a server
// that never does, far beyond what a large body takes on a loaded machine.
const int kExchangeMs = 120000;

// One message read from a raw socket: first line, header lines, body.
struct RawMessage
{
    QByteArray firstLine;
    QSet<QByteArray> headerLines;
    QByteArray body;
};

inline RawMessage splitMessage(const QByteArray& wire)
{
    RawMessage message;
    const int headEnd = wire.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return message;
    const QList<QByteArray> lines = wire.left(headEnd).split('\n');
    message.firstLine = lines.value(0).trimmed();
    for (int i = 1; i < lines.size(); ++i)
        message.headerLines.insert(lines.at(i).trimmed());
    message.body = wire.mid(headEnd + 4);
    return message;
}

// Reads until the bytes hold needle (any, when empty), the peer closes or
// the time is up, running the event loop so a server in this thread answers.
inline QByteArray readRaw(QTcpSocket& socket, const QByteArray& needle = QByteArray(), int timeoutMs = kWaitMs)
{
    QByteArray all;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && (needle.isEmpty() || !all.contains(needle))) {
        all += socket.readAll();
        if (socket.state() == QAbstractSocket::UnconnectedState)
            break;
        QTest::qWait(5);
    }
    return all + socket.readAll();
}

// From an address of this machine (any, when null) to one, where the server
// listens; every 127.x.y.z is loopback and needs no set-up.
inline bool connectRaw(QTcpSocket& socket, quint16 port, const QHostAddress& from = QHostAddress(),
                       const QHostAddress& to = kLoopback)
{
    if (!from.isNull() && !socket.bind(from))
        return false;
    socket.connectToHost(to, port);
    return socket.waitForConnected(3000);
}

inline void send(QTcpSocket& socket, const QByteArray& bytes)
{
    socket.write(bytes);
    socket.flush();
}

inline quint16 portOf(qhttp::server::QHttpServer& server)
{
    return server.tcpServer()->serverPort();
}

// Sends request on a new raw connection and reads the answer until closed.
inline RawMessage exchangeRaw(quint16 port, const QByteArray& request, const QHostAddress& from = QHostAddress(),
                              const QHostAddress& to = kLoopback)
{
    QTcpSocket socket;
    if (!connectRaw(socket, port, from, to))
        return RawMessage();
    send(socket, request);
    return splitMessage(readRaw(socket, QByteArray(), kExchangeMs));
}

// Sends request on a new local-socket connection and reads until closed.
inline RawMessage exchangeLocal(const QString& name, const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kWaitMs))
        return RawMessage();
    socket.write(request);
    QByteArray wire;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() != QLocalSocket::UnconnectedState && clock.elapsed() < kWaitMs) {
        QTest::qWait(5);
        wire += socket.readAll();
    }
    return splitMessage(wire + socket.readAll());
}

// Rows of a test run once over TCP and once over a local socket.
inline void addBackendRows()
{
    QTest::addColumn<bool>("local");
    QTest::newRow("tcp") << false;
    QTest::newRow("local socket") << true;
}

// Collects the body and answers 200 with it once the request is complete.
inline void echoHandler(qhttp::server::QHttpRequest* req, qhttp::server::QHttpResponse* res)
{
    req->collectData(-1);
    QObject::connect(req, &qhttp::server::QHttpRequest::end, res, [req, res] {
        res->setStatusCode(qhttp::ESTATUS_OK);
        res->addHeader("x-method", req->methodString().toLatin1());
        res->addHeaderInt("content-length", req->collectedData().size());
        res->end(req->collectedData());
    });
}

// A QTcpServer that keeps every accepted socket and what arrived on it.
class RawServer : public QObject
{
public:
    RawServer()
    {
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                sockets.append(s);
                received.append(QByteArray());
                const int index = sockets.size() - 1;
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s, index] {
                    received[index] += s->readAll();
                    takeRequests(index, s);
                });
            }
        });
    }

    bool listen() { return server.listen(kLoopback, 0); }
    quint16 port() const { return server.serverPort(); }
    QString url(const QString& path = QStringLiteral("/")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }
    // Writes answer to every complete request; closes after it if asked.
    void answerWith(const QByteArray& answer, bool close)
    {
        onRequest = [answer, close](QTcpSocket* socket) {
            socket->write(answer);
            if (close)
                socket->disconnectFromHost();
        };
    }
    QByteArray lastRequest(int index = 0) const
    {
        return sockets.value(index) ? sockets.value(index)->property("request").toByteArray() : QByteArray();
    }

    QTcpServer server;
    QList<QPointer<QTcpSocket>> sockets;
    QList<QByteArray> received;
    std::function<void(QTcpSocket*)> onRequest;

private:
    // A request is complete with its head and the body its length declares.
    void takeRequests(int index, QTcpSocket* socket)
    {
        QByteArray& got = received[index];
        const int headEnd = got.indexOf("\r\n\r\n");
        if (headEnd < 0 || !onRequest)
            return;
        const int at = got.toLower().indexOf("content-length: ");
        const int length = at < 0 || at > headEnd ? 0 : got.mid(at + 16, got.indexOf('\r', at) - at - 16).toInt();
        if (got.size() < headEnd + 4 + length)
            return;
        socket->setProperty("request", got.left(headEnd + 4 + length));
        got.remove(0, headEnd + 4 + length);
        onRequest(socket);
    }
};

// What one client exchange came to.
struct Outcome
{
    bool started = false;
    int ends = 0;
    int failures = 0;
    int responseFailures = 0;
    int responseHandlerCalls = 0;
    bool failedInsideRequest = false;
    bool successful = false;
    int status = -1;
    QString statusString;
    QString version;
    qhttp::THeaderHash headers;
    QByteArray body;
    qint64 streamed = 0;
    QString reason;
    qint64 elapsedMs = 0;
};

// A local event loop ended by the response's end, the client's failed or a
// guard. collect > 0 or -1: collectData(collect); 0: stream through data().
inline Outcome runExchange(qhttp::client::QHttpClient& client, qhttp::THttpMethod method, const QUrl& url,
                           const qhttp::client::TRequestHandler& reqHandler = nullptr, int collect = -1,
                           int guardMs = kWaitMs)
{
    using qhttp::client::QHttpResponse;
    Outcome out;
    QEventLoop loop;
    QTimer::singleShot(guardMs, &loop, &QEventLoop::quit);
    bool insideRequest = true;
    const QMetaObject::Connection failed =
        QObject::connect(&client, &qhttp::client::QHttpClient::failed, &loop, [&](const QString& why) {
            ++out.failures;
            out.reason = why;
            out.failedInsideRequest = out.failedInsideRequest || insideRequest;
            loop.quit();
        });
    QElapsedTimer clock;
    clock.start();
    out.started = client.request(method, url, reqHandler, [&](QHttpResponse* res) {
        ++out.responseHandlerCalls;
        out.status = res->status();
        out.statusString = res->statusString();
        out.version = res->httpVersion();
        if (collect != 0)
            res->collectData(collect);
        QObject::connect(res, &QHttpResponse::data, &loop, [&](const QByteArray& chunk) { out.streamed += chunk.size(); });
        QObject::connect(res, &QHttpResponse::failed, &loop, [&] { ++out.responseFailures; });
        QObject::connect(res, &QHttpResponse::end, &loop, [&, res] {
            ++out.ends;
            out.successful = res->isSuccessful();
            out.headers = res->headers();
            out.body = res->collectedData();
            loop.quit();
        });
    });
    insideRequest = false;
    if (out.started)
        loop.exec();
    out.elapsedMs = clock.elapsed();
    QObject::disconnect(failed);
    return out;
}

} // namespace httptest
