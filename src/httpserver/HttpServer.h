#pragma once

#include <QObject>
#include <QString>

namespace qhttp {
namespace server {
class QHttpServer;
}
} // namespace qhttp

namespace vesk {
namespace pc {

// The local firmware server: listens on every IPv4 address at the port of
// the setting host_port, answers only the peers its check knows (this
// machine and the program's cameras, KnownPeers) and hands each of their
// requests to a router of its own. Lives on a thread of its own, where
// every request is served.
//
// Connections are bounded as the HTTP layer bounds them (its defaults): 16
// at a time and 4 of them for one peer address (this machine's loopback
// addresses counting as one), 30 s without traffic, and from acceptance 10 s
// for a request head and 30 s for the whole request; one request at a time,
// closed after its answer.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    explicit HttpServer(QObject* parent = nullptr);
    ~HttpServer() override;

public slots:
    // Starts listening (again, after stopServer); the outcome is signalled.
    void initServer();
    // Stops listening; connections already open are served to their end.
    void stopServer();

signals:
    void listening(quint16 port);
    void listenFailed(const QString& error);

private:
    qhttp::server::QHttpServer* server_ = nullptr;  // a child
};

} // namespace pc
} // namespace vesk
