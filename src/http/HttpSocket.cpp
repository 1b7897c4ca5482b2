#include "http/HttpSocket.h"

#include "http/HttpLimits.h"

#include <QHostAddress>
#include <QLocalSocket>
#include <QTcpSocket>

namespace qhttp {
namespace details {

void HttpSocket::adopt(QTcpSocket* socket)
{
    backend = ETcpSocket;
    tcp = socket;
    local.clear();
    socket->setReadBufferSize(limits::kSocketReadBufferBytes);
}

void HttpSocket::adopt(QLocalSocket* socket)
{
    backend = ELocalSocket;
    local = socket;
    tcp.clear();
    socket->setReadBufferSize(limits::kSocketReadBufferBytes);
}

QIODevice* HttpSocket::device() const
{
    if (tcp)
        return tcp.data();
    return local.data();
}

bool HttpSocket::isConnected() const
{
    if (tcp)
        return tcp->isOpen() && tcp->state() == QAbstractSocket::ConnectedState;
    if (local)
        return local->isOpen() && local->state() == QLocalSocket::ConnectedState;
    return false;
}

qint64 HttpSocket::bytesToWrite() const
{
    QIODevice* dev = device();
    return dev ? dev->bytesToWrite() : 0;
}

void HttpSocket::write(const QByteArray& data) const
{
    QIODevice* dev = device();
    if (dev && !data.isEmpty() && dev->isOpen())
        dev->write(data);
}

void HttpSocket::flush() const
{
    if (tcp)
        tcp->flush();
    else if (local)
        local->flush();
}

void HttpSocket::disconnectFromPeer() const
{
    if (tcp)
        tcp->disconnectFromHost();
    else if (local)
        local->disconnectFromServer();
}

void HttpSocket::abort() const
{
    if (tcp)
        tcp->abort();
    else if (local)
        local->abort();
}

QString HttpSocket::peerText() const
{
    if (tcp)
        return QStringLiteral("%1:%2").arg(peerAddress()).arg(peerPort());
    return peerAddress();
}

QString HttpSocket::errorString() const
{
    const QIODevice* dev = device();
    return dev ? dev->errorString() : QString();
}

QString HttpSocket::peerAddress() const
{
    if (tcp)
        return tcp->peerAddress().toString();
    if (local)
        return local->fullServerName();
    return QString();
}

quint16 HttpSocket::peerPort() const
{
    return tcp ? tcp->peerPort() : 0;
}

void HttpSocket::release()
{
    destroy(true);
}

void HttpSocket::destroy(bool deferred)
{
    QIODevice* dev = device();
    tcp.clear();
    local.clear();
    if (!dev)
        return;
    dev->disconnect();
    dev->close();
    if (deferred) {
        dev->setParent(nullptr);
        dev->deleteLater();
    } else {
        delete dev;
    }
}

} // namespace details
} // namespace qhttp
