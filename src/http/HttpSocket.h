#pragma once

#include "http/HttpTypes.h"

#include <QLocalSocket>
#include <QPointer>
#include <QString>
#include <QTcpSocket>

namespace qhttp {
namespace details {

// The one socket of a client, connection or message: a TCP socket or a local
// socket, never both. Not owned; the pointers clear themselves when the
// socket is destroyed, so a message that outlives its socket writes nothing.
class HttpSocket
{
public:
    TBackend backend = ETcpSocket;
    QPointer<QTcpSocket> tcp;
    QPointer<QLocalSocket> local;

    // Takes the socket on with a bounded read buffer: what the parser has
    // not taken yet waits in the kernel, not in memory.
    void adopt(QTcpSocket* socket);
    void adopt(QLocalSocket* socket);

    QIODevice* device() const;
    bool exists() const { return device() != nullptr; }
    bool isConnected() const;
    qint64 bytesToWrite() const;

    void write(const QByteArray& data) const;
    void flush() const;
    // Sends what is queued, then closes.
    void disconnectFromPeer() const;
    // Closes at once, dropping what is queued.
    void abort() const;
    // "address:port" of the peer, or the local server name, for log lines.
    QString peerText() const;
    QString errorString() const;
    QString peerAddress() const;
    quint16 peerPort() const;

    // Cuts every signal connection of the socket, closes it and hands it to
    // deferred deletion; forgets both pointers.
    void release();
    // As release(), but deletes the socket at once unless deferred is set
    // (a socket must not be deleted while it is emitting a signal).
    void destroy(bool deferred);
};

// The peer closed the connection: no error, the disconnection follows.
inline bool isPeerClosed(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::RemoteHostClosedError;
}

inline bool isPeerClosed(QLocalSocket::LocalSocketError error)
{
    return error == QLocalSocket::PeerClosedError;
}

} // namespace details
} // namespace qhttp
