#pragma once

#include "http/HttpTypes.h"
#include "http/QHttpServerRequest.h"
#include "http/QHttpServerResponse.h"

#include <QHostAddress>
#include <QObject>
#include <QScopedPointer>

#include <functional>

class QLocalServer;
class QTcpServer;

namespace qhttp {
namespace server {

class QHttpServerPrivate;

// Whether a TCP peer, by its address, is answered at all.
using TPeerFilter = std::function<bool(const QHostAddress&)>;

// Accepts HTTP connections on a TCP address and port or on a local socket
// name and hands every request with its response to one handler (or to
// newRequest when there is none). At most 16 connections are open at a
// time, and at most 4 of them from one TCP peer address (all of this
// machine's loopback addresses counting as one); more are answered 503 and
// closed. Lives in the thread that runs it.
class QHttpServer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint32 timeOut READ timeOut WRITE setTimeOut)
public:
    explicit QHttpServer(QObject* parent = nullptr);
    ~QHttpServer() override;

    // A decimal port number from 1 to 65535 listens on TCP on every address;
    // any other text is taken as a local socket name.
    bool listen(const QString& socketOrPort, const TServerHandler& handler = nullptr);
    bool listen(const QHostAddress& address, quint16 port, const TServerHandler& handler = nullptr);
    bool isListening() const;
    // Closes the listening server (and removes a local socket name).
    // Connections already open are not touched.
    void stopListening();
    // The listening server's error text; empty without one.
    QString errorString() const;
    void setMaxPendingConnections(int count);
    // TCP peers that the filter turns down are closed at once, unanswered
    // (each address logged once); without a filter every peer is served.
    // Local sockets are always served.
    void setPeerFilter(const TPeerFilter& filter);

    // Idle time-out in milliseconds of every connection accepted from now on;
    // 30000 by default, and 0 selects that default.
    quint32 timeOut() const;
    void setTimeOut(quint32 timeOut);
    // Time in milliseconds a request head may take (the first from the
    // connection's acceptance, later ones from their first byte), for every
    // connection accepted from now on; 10000 by default, and 0 selects that
    // default.
    quint32 headTimeOut() const;
    void setHeadTimeOut(quint32 timeOut);
    // Time in milliseconds a whole request, head and body, may take, counted
    // as the head's is, for every connection accepted from now on; 30000 by
    // default, and 0 selects that default.
    quint32 requestTimeOut() const;
    void setRequestTimeOut(quint32 timeOut);

    TBackend backendType() const;
    QTcpServer* tcpServer() const;
    QLocalServer* localServer() const;
    // Connections open now.
    int connectionCount() const;

signals:
    void newRequest(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
    void newConnection(qhttp::server::QHttpConnection* connection);

protected:
    QHttpServer(QHttpServerPrivate& dd, QObject* parent);

    // Connects the connection's newRequest to the server's (used when no
    // handler is set).
    virtual void incomingConnection(qhttp::server::QHttpConnection* connection);
    // Adopts an accepted socket.
    virtual void incomingConnection(qintptr handle);

    QScopedPointer<QHttpServerPrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpServer)
    friend class QHttpServerPrivate;
    void refuseConnection(qintptr handle);
    bool peerAllowed(qintptr handle, const QHostAddress& peer);
    bool roomFor(const QHostAddress& peer, const QHostAddress& share);
    void releaseSlot(const QHostAddress& share);
};

} // namespace server
} // namespace qhttp
