#include "http/QHttpServer.h"

#include "http/QHttpConnection.h"
#include "http/QHttpServerPrivate.h"

#include <QDebug>
#include <QLocalSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <sys/socket.h>
#include <unistd.h>

namespace qhttp {
namespace server {

namespace {

// Peers turned down that are logged by address; beyond, none is.
constexpr int kMaxLoggedPeers = 256;

const QByteArray kBusyAnswer = QByteArrayLiteral(
    "HTTP/1.1 503 Service Unavailable\r\nconnection: close\r\ncontent-length: 0\r\n\r\n");

bool isPortNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; }))
        return false;
    const int port = text.toInt();
    return port >= 1 && port <= 65535;
}

bool reportListening(bool listening, const QString& where, const QString& error)
{
    if (!listening)
        qWarning() << "Cannot listen on" << where << ":" << error;
    return listening;
}

// Sends the busy answer and lets the socket go once it is out (or after the
// idle time at the latest).
template <class TSocket>
void answerBusy(TSocket* socket, void (TSocket::*disconnectFn)())
{
    QObject::connect(socket, &TSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(limits::kDefaultServerIdleMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->write(kBusyAnswer);
    (socket->*disconnectFn)();
}

// The address of an accepted descriptor's peer, an IPv4 one as such; null
// when the peer has gone already.
QHostAddress peerOf(qintptr handle)
{
    sockaddr_storage storage{};
    socklen_t length = sizeof(storage);
    QHostAddress peer;
    if (::getpeername(int(handle), reinterpret_cast<sockaddr*>(&storage), &length) == 0)
        peer.setAddress(reinterpret_cast<const sockaddr*>(&storage));
    bool mapped = false;
    const quint32 ipv4 = peer.toIPv4Address(&mapped);
    if (mapped)
        peer.setAddress(ipv4);
    return peer;
}

// The share of the connections that a peer counts against: every loopback
// address is this machine, one share for all of them.
QHostAddress shareOf(const QHostAddress& peer)
{
    return peer.isLoopback() ? QHostAddress(QHostAddress::LocalHost) : peer;
}

} // namespace

QHttpServer::QHttpServer(QObject* parent)
    : QHttpServer(*new QHttpServerPrivate, parent)
{
}

QHttpServer::QHttpServer(QHttpServerPrivate& dd, QObject* parent)
    : QObject(parent)
    , d_ptr(&dd)
{
}

QHttpServer::~QHttpServer()
{
    stopListening();
}

bool QHttpServer::listen(const QString& socketOrPort, const TServerHandler& handler)
{
    if (isPortNumber(socketOrPort))
        return listen(QHostAddress::Any, static_cast<quint16>(socketOrPort.toInt()), handler);

    Q_D(QHttpServer);
    d->replaceBackend(ELocalSocket, handler);
    d->localServer = new QHttpServerPrivate::LocalServer(this);
    const bool listening = d->localServer->listen(socketOrPort);
    return reportListening(listening, socketOrPort, d->localServer->errorString());
}

bool QHttpServer::listen(const QHostAddress& address, quint16 port, const TServerHandler& handler)
{
    Q_D(QHttpServer);
    d->replaceBackend(ETcpSocket, handler);
    d->tcpServer = new QHttpServerPrivate::TcpServer(this);
    const bool listening = d->tcpServer->listen(address, port);
    return reportListening(listening, QStringLiteral("%1:%2").arg(address.toString()).arg(port),
                           d->tcpServer->errorString());
}

bool QHttpServer::isListening() const
{
    Q_D(const QHttpServer);
    if (d->backend == ELocalSocket)
        return d->localServer && d->localServer->isListening();
    return d->tcpServer && d->tcpServer->isListening();
}

void QHttpServer::stopListening()
{
    Q_D(QHttpServer);
    if (d->tcpServer)
        d->tcpServer->close();
    if (d->localServer) {
        const QString name = d->localServer->fullServerName();
        d->localServer->close();
        if (!name.isEmpty())
            QLocalServer::removeServer(name);
    }
}

QString QHttpServer::errorString() const
{
    Q_D(const QHttpServer);
    if (d->backend == ELocalSocket)
        return d->localServer ? d->localServer->errorString() : QString();
    return d->tcpServer ? d->tcpServer->errorString() : QString();
}

void QHttpServer::setPeerFilter(const TPeerFilter& filter)
{
    d_func()->peerFilter = filter;
}

void QHttpServer::setMaxPendingConnections(int count)
{
    Q_D(QHttpServer);
    if (d->backend == ELocalSocket && d->localServer)
        d->localServer->setMaxPendingConnections(count);
    else if (d->tcpServer)
        d->tcpServer->setMaxPendingConnections(count);
}

quint32 QHttpServer::timeOut() const
{
    return d_func()->timeOut;
}

void QHttpServer::setTimeOut(quint32 timeOut)
{
    d_func()->timeOut = timeOut > 0 ? timeOut : static_cast<quint32>(limits::kDefaultServerIdleMs);
}

quint32 QHttpServer::headTimeOut() const
{
    return d_func()->headTimeOut;
}

void QHttpServer::setHeadTimeOut(quint32 timeOut)
{
    d_func()->headTimeOut = timeOut > 0 ? timeOut : static_cast<quint32>(limits::kDefaultServerHeadMs);
}

quint32 QHttpServer::requestTimeOut() const
{
    return d_func()->requestTimeOut;
}

void QHttpServer::setRequestTimeOut(quint32 timeOut)
{
    d_func()->requestTimeOut = timeOut > 0 ? timeOut : static_cast<quint32>(limits::kDefaultServerRequestMs);
}

TBackend QHttpServer::backendType() const
{
    return d_func()->backend;
}

QTcpServer* QHttpServer::tcpServer() const
{
    return d_func()->tcpServer;
}

QLocalServer* QHttpServer::localServer() const
{
    return d_func()->localServer;
}

int QHttpServer::connectionCount() const
{
    return d_func()->connections;
}

void QHttpServer::incomingConnection(QHttpConnection* connection)
{
    connect(connection, &QHttpConnection::newRequest, this, &QHttpServer::newRequest);
}

void QHttpServer::incomingConnection(qintptr handle)
{
    Q_D(QHttpServer);
    const QHostAddress peer = d->backend == ETcpSocket ? peerOf(handle) : QHostAddress();
    if (!peerAllowed(handle, peer))
        return;
    const QHostAddress share = peer.isNull() ? QHostAddress() : shareOf(peer);
    if (!roomFor(peer, share)) {
        refuseConnection(handle);
        return;
    }
    auto* connection = new QHttpConnection(this);
    ++d->connections;
    if (!share.isNull())
        ++d->peers[share].open;
    connect(connection, &QObject::destroyed, this, [this, share] { releaseSlot(share); });
    connection->setSocketDescriptor(handle, d->backend);
    connection->setTimeOut(d->timeOut);
    connection->setHeadTimeOut(d->headTimeOut);
    connection->setRequestTimeOut(d->requestTimeOut);
    emit newConnection(connection);
    if (d->handler)
        connect(connection, &QHttpConnection::newRequest, connection, d->handler);
    else
        incomingConnection(connection);
}

// Decided on the bare descriptor: a peer turned down costs no socket object
// and reads nothing back.
bool QHttpServer::peerAllowed(qintptr handle, const QHostAddress& peer)
{
    Q_D(QHttpServer);
    if (d->backend != ETcpSocket || !d->peerFilter)
        return true;
    if (!peer.isNull() && d->peerFilter(peer))
        return true;
    ::close(int(handle));
    if (d->turnedDown.size() < kMaxLoggedPeers && !d->turnedDown.contains(peer)) {
        d->turnedDown.insert(peer);
        qWarning().noquote() << "Closed unanswered, not a peer served here (logged once):"
                             << (peer.isNull() ? QStringLiteral("a peer gone already") : peer.toString());
    }
    return false;
}

// A refusal is logged once until a connection closes (all slots taken) or
// until the peer holds none (its share taken): a peer that reopens its
// connections as fast as they close must not flood the log.
bool QHttpServer::roomFor(const QHostAddress& peer, const QHostAddress& share)
{
    Q_D(QHttpServer);
    if (d->connections >= limits::kMaxServerConnections) {
        if (!d->fullLogged)
            qWarning() << "Already" << d->connections << "connections open; refusing more until one closes";
        d->fullLogged = true;
        return false;
    }
    const auto held = share.isNull() ? d->peers.end() : d->peers.find(share);
    if (held == d->peers.end() || held->open < limits::kMaxServerConnectionsPerPeer)
        return true;
    if (!held->refusalLogged) {
        const QString who = share.isLoopback() ? QStringLiteral("this machine (%1)").arg(peer.toString())
                                               : peer.toString();
        qWarning().noquote() << "Refusing connections from" << who << "while it holds" << held->open
                             << "(logged once until it holds none)";
    }
    held->refusalLogged = true;
    return false;
}

void QHttpServer::releaseSlot(const QHostAddress& share)
{
    Q_D(QHttpServer);
    --d->connections;
    d->fullLogged = false;
    const auto held = d->peers.find(share);
    if (held != d->peers.end() && --held->open <= 0)
        d->peers.erase(held);
}

void QHttpServer::refuseConnection(qintptr handle)
{
    Q_D(QHttpServer);
    if (d->backend == ELocalSocket) {
        auto* socket = new QLocalSocket(this);
        if (socket->setSocketDescriptor(static_cast<quintptr>(handle)))
            answerBusy(socket, &QLocalSocket::disconnectFromServer);
        else
            socket->deleteLater();
        return;
    }
    auto* socket = new QTcpSocket(this);
    if (socket->setSocketDescriptor(handle))
        answerBusy<QAbstractSocket>(socket, &QAbstractSocket::disconnectFromHost);
    else
        socket->deleteLater();
}

} // namespace server
} // namespace qhttp
