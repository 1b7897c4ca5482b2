#pragma once

#include "http/HttpTypes.h"

#include <QObject>
#include <QScopedPointer>

class QLocalSocket;
class QTcpSocket;
class QTimerEvent;

namespace qhttp {
namespace server {

class QHttpConnectionPrivate;

// One accepted connection of a server: reads requests one after another and
// hands each with its response to the handler or to newRequest; it reads the
// next request only once the answer to the last has ended, so answers never
// run into each other. Malformed requests get 400, heads over 80 KiB 431,
// bodies over 1 MiB 413 and heads or requests not complete within their time
// 408, and the connection then closes. While more than 1 MiB of answers wait
// to be sent it reads no further requests. It closes when idle for its
// time-out and deletes itself (later) once disconnected.
class QHttpConnection : public QObject
{
    Q_OBJECT
public:
    explicit QHttpConnection(QObject* parent);
    ~QHttpConnection() override;

    // Adopts an accepted socket, connected and open for reading and writing.
    void setSocketDescriptor(qintptr descriptor, TBackend backend);
    // Idle time-out in milliseconds, restarted by traffic; 30000 unless set.
    // 0 leaves it as it is.
    void setTimeOut(quint32 timeOut);
    // Time in milliseconds a request head may take: the first from the
    // connection's acceptance, later ones from their first byte; 10000
    // unless set. 0 leaves it as it is.
    void setHeadTimeOut(quint32 timeOut);
    // Time in milliseconds a whole request, head and body, may take, counted
    // from where its head's time starts; 30000 unless set. 0 leaves it as it
    // is.
    void setRequestTimeOut(quint32 timeOut);
    // Closes the socket.
    void killConnection();
    // A handler that receives every request of this connection in place of
    // newRequest.
    void onHandler(const TServerHandler& handler);

    TBackend backendType() const;
    QTcpSocket* tcpSocket() const;
    QLocalSocket* localSocket() const;

signals:
    void newRequest(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
    void disconnected();

protected:
    QHttpConnection(QHttpConnectionPrivate& dd, QObject* parent);
    void timerEvent(QTimerEvent* event) override;

    QScopedPointer<QHttpConnectionPrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpConnection)
};

} // namespace server
} // namespace qhttp
