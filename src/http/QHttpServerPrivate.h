#pragma once

#include "http/HttpLimits.h"
#include "http/QHttpServer.h"

#include <QHash>
#include <QHostAddress>
#include <QLocalServer>
#include <QPointer>
#include <QSet>
#include <QTcpServer>

namespace qhttp {
namespace server {

class QHttpServerPrivate
{
public:
    // A listening server that passes every accepted socket straight to the
    // QHttpServer, so none waits in Qt's pending queue.
    template <class TServer, class TDescriptor>
    class BackendServer : public TServer
    {
    public:
        explicit BackendServer(QHttpServer* server)
            : TServer(server)
            , server_(server)
        {
        }

    protected:
        void incomingConnection(TDescriptor handle) override
        {
            server_->incomingConnection(static_cast<qintptr>(handle));
        }

    private:
        QHttpServer* server_;
    };
    using TcpServer = BackendServer<QTcpServer, qintptr>;
    using LocalServer = BackendServer<QLocalServer, quintptr>;

    virtual ~QHttpServerPrivate() = default;

    // Drops the listening server, whichever it is, before a new listen.
    void replaceBackend(TBackend kind, const TServerHandler& newHandler)
    {
        backend = kind;
        delete tcpServer;
        delete localServer;
        handler = newHandler;
    }

    quint32 timeOut = limits::kDefaultServerIdleMs;
    quint32 headTimeOut = limits::kDefaultServerHeadMs;
    quint32 requestTimeOut = limits::kDefaultServerRequestMs;
    TServerHandler handler;
    TPeerFilter peerFilter;
    QSet<QHostAddress> turnedDown;  // logged already
    TBackend backend = ETcpSocket;
    QPointer<TcpServer> tcpServer;
    QPointer<LocalServer> localServer;
    int connections = 0;
    bool fullLogged = false;  // until a connection closes

    // The connections one TCP peer holds, by its share key.
    struct PeerShare
    {
        int open = 0;
        bool refusalLogged = false;  // until it holds none
    };
    QHash<QHostAddress, PeerShare> peers;
};

} // namespace server
} // namespace qhttp
