#include "support/TestHome.h"
#include "support/ForeignAddress.h"
#include "support/HttpTestSupport.h"
#include "support/LogCapture.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace httptest;
using qhttp::server::QHttpRequest;
using qhttp::server::QHttpResponse;
using qhttp::server::QHttpServer;

namespace {

QHostAddress loopback(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

// Connections that send nothing, from the addresses given, each reopened as
// soon as it closes; counts how they ended.
class SilentPeer : public QObject
{
public:
    SilentPeer(quint16 port, const QVector<QHostAddress>& from)
        : port_(port)
    {
        for (const QHostAddress& address : from)
            open(address);
    }

    int timedOut = 0;  // held to the head deadline: answered 408
    int refused = 0;   // answered 503 at once
    int closed = 0;

private:
    void open(const QHostAddress& from)
    {
        auto* socket = new QTcpSocket(this);
        auto answer = std::make_shared<QByteArray>();
        connect(socket, &QIODevice::readyRead, this, [socket, answer] { *answer += socket->readAll(); });
        connect(socket, &QAbstractSocket::stateChanged, this, [=](QAbstractSocket::SocketState state) {
            if (state != QAbstractSocket::UnconnectedState)
                return;
            *answer += socket->readAll();
            timedOut += answer->startsWith("HTTP/1.1 408 ") ? 1 : 0;
            refused += answer->startsWith("HTTP/1.1 503 ") ? 1 : 0;
            ++closed;
            socket->deleteLater();
            open(from);
        });
        if (!socket->bind(from))
            qWarning() << "Cannot bind to" << from << ":" << socket->errorString();
        socket->connectToHost(kLoopback, port_);
    }

    quint16 port_;
};

} // namespace

// Who holds a server's connections: the peer filter, the bound on all of
// them and on one peer's share, and peers that send nothing.
class tst_HttpServerPeers : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void silentPeersClosedByHeadDeadline();
    void silentReconnectingPeer_data();
    void silentReconnectingPeer();
    void peerFilter();
    void connectionLimit();
    void peerConnectionLimit();
};

// The first head's time runs from acceptance: peers that connect and send
// nothing cannot hold every connection for the idle time (30 s here).
void tst_HttpServerPeers::silentPeersClosedByHeadDeadline()
{
    QHttpServer server;
    server.setHeadTimeOut(300);
    QVERIFY(server.listen(kLoopback, 0, echoHandler));
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < 16; ++i) {
        silent.emplace_back(new QTcpSocket);
        QVERIFY(connectRaw(*silent.back(), portOf(server)));
    }
    const auto allClosed = [&silent] {
        return std::all_of(silent.begin(), silent.end(), [](const std::unique_ptr<QTcpSocket>& socket) {
            socket->readAll();
            return socket->state() == QAbstractSocket::UnconnectedState;
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allClosed(), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, kWaitMs);
    QCOMPARE(exchangeRaw(portOf(server), "POST / HTTP/1.1\r\nContent-Length: 1\r\n\r\n!").body, QByteArray("!"));
}

void tst_HttpServerPeers::silentReconnectingPeer_data()
{
    QTest::addColumn<int>("addresses");  // the sixteen connections come from
    QTest::newRow("one address") << 1;
    QTest::newRow("many loopback addresses") << 16;
}

// Sixteen silent connections from this machine, each reopened as soon as
// it closes: they hold this machine's share round after round, and another
// peer's every request is answered meanwhile. Refusals are logged once
// while the share stays taken.
void tst_HttpServerPeers::silentReconnectingPeer()
{
    QFETCH(int, addresses);
    QVector<QHostAddress> from;
    for (int i = 0; i < 16; ++i)
        from << loopback(2 + i % addresses);
    const ForeignAddress foreign;
    QVERIFY2(!foreign.address.isNull(), "no IPv4 address but loopback, and none could be added to lo");
    QHttpServer server;
    server.setHeadTimeOut(1000);  // the other peer's heads make it on a loaded machine
    QVERIFY(server.listen(QHostAddress::AnyIPv4, 0, echoHandler));
    LogCapture log;
    log.quiet(QStringLiteral("Refusing request from"));
    SilentPeer silent(portOf(server), from);
    int asked = 0;
    int answered = 0;
    QByteArray firstUnanswered;
    QElapsedTimer clock;
    clock.start();
    while ((asked < 20 || silent.timedOut < 3 * 4) && clock.elapsed() < 30000) {
        const QByteArray body = QByteArray::number(++asked);
        const QByteArray request = "POST / HTTP/1.1\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\n\r\n" + body;
        const RawMessage answer = exchangeRaw(portOf(server), request, foreign.address, foreign.address);
        answered += answer.body == body ? 1 : 0;
        if (answer.body != body && firstUnanswered.isEmpty())
            firstUnanswered = "; first unanswered: " + answer.firstLine;
    }
    const QByteArray counts = QStringLiteral("asked %1 answered %2; silent: 408 %3, 503 %4, closed %5")
                                  .arg(asked).arg(answered).arg(silent.timedOut).arg(silent.refused)
                                  .arg(silent.closed).toLatin1() + firstUnanswered;
    QVERIFY2(asked >= 20 && answered == asked, counts.constData());
    QVERIFY2(silent.timedOut >= 3 * 4 && silent.refused > 0, counts.constData());
    const int refusalLines = log.count(QStringLiteral("Refusing connections from this machine"));
    // Once, and again only after every connection of the share had closed.
    QVERIFY2(refusalLines >= 1 && refusalLines <= silent.timedOut / 4 + 2, QByteArray::number(refusalLines));
}

// A peer the filter turns down is closed at once, unanswered and unread;
// its address is logged once.
void tst_HttpServerPeers::peerFilter()
{
    QVector<QHostAddress> asked;
    bool allow = false;
    int handled = 0;
    QHttpServer server;
    server.setPeerFilter([&](const QHostAddress& peer) {
        asked << peer;
        return allow;
    });
    QVERIFY(server.listen(kLoopback, 0, [&](QHttpRequest* req, QHttpResponse* res) {
        ++handled;
        echoHandler(req, res);
    }));
    LogCapture log;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QTcpSocket socket;
        QVERIFY(connectRaw(socket, portOf(server)));
        send(socket, "POST / HTTP/1.1\r\nContent-Length: 1\r\n\r\n!");
        QCOMPARE(readRaw(socket), QByteArray());
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    }
    QCOMPARE(asked, QVector<QHostAddress>(3, kLoopback));
    QCOMPARE(handled, 0);
    QCOMPARE(server.connectionCount(), 0);
    QCOMPARE(log.mentionCount(kLoopback.toString()), 1);
    allow = true;
    QCOMPARE(exchangeRaw(portOf(server), "POST / HTTP/1.1\r\nContent-Length: 1\r\n\r\n!").body, QByteArray("!"));
    QCOMPARE(handled, 1);
}

// Every slot taken: the 17th connection is answered 503. Over local
// sockets, which have no peer address, so that one test fills them all.
void tst_HttpServerPeers::connectionLimit()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("srv"));
    QHttpServer server;
    QVERIFY(server.listen(name, echoHandler));
    std::vector<std::unique_ptr<QLocalSocket>> open;
    for (int i = 0; i < 16; ++i) {
        open.emplace_back(new QLocalSocket);
        open.back()->connectToServer(name);
        QVERIFY(open.back()->waitForConnected(kWaitMs));
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 16, kWaitMs);
    QCOMPARE(exchangeLocal(name, QByteArray()).firstLine, QByteArray("HTTP/1.1 503 Service Unavailable"));
    QCOMPARE(server.connectionCount(), 16);

    open.pop_back();
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 15, kWaitMs);
    QCOMPARE(exchangeLocal(name, "POST / HTTP/1.1\r\nContent-Length: 1\r\n\r\n!").body, QByteArray("!"));
}

// One peer holds at most 4 connections, every loopback address counting as
// this machine's: a fifth is answered 503 while another address is served.
void tst_HttpServerPeers::peerConnectionLimit()
{
    const ForeignAddress foreign;
    QVERIFY2(!foreign.address.isNull(), "no IPv4 address but loopback, and none could be added to lo");
    QHttpServer server;
    QVERIFY(server.listen(QHostAddress::AnyIPv4, 0, echoHandler));
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 1; i <= 4; ++i) {
        open.emplace_back(new QTcpSocket);
        QVERIFY(connectRaw(*open.back(), portOf(server), loopback(i)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 4, kWaitMs);
    const QByteArray request = "POST / HTTP/1.1\r\nContent-Length: 1\r\n\r\n!";
    QCOMPARE(exchangeRaw(portOf(server), request, loopback(5)).firstLine,
             QByteArray("HTTP/1.1 503 Service Unavailable"));
    QCOMPARE(exchangeRaw(portOf(server), request, foreign.address, foreign.address).body, QByteArray("!"));
    QCOMPARE(server.connectionCount(), 4);

    open.pop_back();
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 3, kWaitMs);
    QCOMPARE(exchangeRaw(portOf(server), request).body, QByteArray("!"));
}

QTEST_GUILESS_MAIN(tst_HttpServerPeers)
#include "tst_httpserverpeers.moc"
