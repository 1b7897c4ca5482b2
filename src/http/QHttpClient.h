#pragma once

#include "http/HttpTypes.h"
#include "http/QHttpClientRequest.h"
#include "http/QHttpClientResponse.h"

#include <QObject>
#include <QScopedPointer>
#include <QUrl>

class QLocalSocket;
class QTcpSocket;
class QTimerEvent;

namespace qhttp {
namespace client {

class QHttpClientPrivate;

// An asynchronous HTTP/1.1 client over one socket at a time: TCP to the URL's
// host and port (80 when none), or a local socket named by the URL's path
// when the scheme is "file". Every exchange ends exactly once: with the
// response's end(), or with failed() when the connection is refused or
// breaks, the response is cut short, malformed or too large, the idle
// time-out strikes, or the host is a .invalid name (never looked up). Lives
// in the thread that creates it and needs that thread's event loop.
class QHttpClient : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint32 timeOut READ timeOut WRITE setTimeOut)
public:
    explicit QHttpClient(QObject* parent = nullptr);
    ~QHttpClient() override;

    // Starts one exchange; false (and nothing started) for an invalid or
    // empty URL. Once connected the request handler fills and ends the
    // request (an empty one sends "connection: close" and no body); once the
    // response head is read the response handler gets the response. Without
    // a response handler the client works through httpConnected and
    // newResponse instead. A kept-alive connection is reused only for the
    // same scheme, host and port; the request handler then runs before this
    // returns.
    bool request(THttpMethod method, QUrl url, const TRequestHandler& reqHandler = nullptr,
                 const TResponseHandler& resHandler = nullptr);

    // Emits connectingTimeOut when no connection is made within ms; 0 stops
    // the timer. The attempt itself goes on.
    void setConnectingTimeOut(quint32 ms);
    // Closes the connection after ms without traffic, failing an exchange in
    // progress; 0 (the default) never.
    quint32 timeOut() const;
    void setTimeOut(quint32 timeOut);

    bool isOpen() const;
    // Stops the timers and closes the connection; an exchange in progress
    // fails.
    void killConnection();
    // Why the last exchange failed; empty after a success.
    QString errorString() const;

    TBackend backendType() const;
    QTcpSocket* tcpSocket() const;
    QLocalSocket* localSocket() const;

signals:
    void httpConnected(qhttp::client::QHttpRequest* request);
    void newResponse(qhttp::client::QHttpResponse* response);
    void disconnected();
    void connectingTimeOut();
    // The exchange will not complete. Never emitted from inside request().
    void failed(QString reason);

protected:
    QHttpClient(QHttpClientPrivate& dd, QObject* parent);

    // Emit httpConnected / newResponse; used when no handler is set.
    virtual void onRequestReady(qhttp::client::QHttpRequest* request);
    virtual void onResponseReady(qhttp::client::QHttpResponse* response);
    void timerEvent(QTimerEvent* event) override;

    QScopedPointer<QHttpClientPrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpClient)
    friend class QHttpClientPrivate;
};

} // namespace client
} // namespace qhttp
