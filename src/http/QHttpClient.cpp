#include "http/QHttpClient.h"

#include "http/QHttpClientPrivate.h"
#include "http/QHttpClientRequest.h"

#include <QDebug>
#include <QLocalSocket>
#include <QTcpSocket>
#include <QTimerEvent>

namespace qhttp {
namespace client {

namespace {

void defaultRequestHandler(QHttpRequest* request)
{
    request->addHeader(QByteArrayLiteral("connection"), QByteArrayLiteral("close"));
    request->end();
}

} // namespace

QHttpClient::QHttpClient(QObject* parent)
    : QHttpClient(*new QHttpClientPrivate(this), parent)
{
}

QHttpClient::QHttpClient(QHttpClientPrivate& dd, QObject* parent)
    : QObject(parent)
    , d_ptr(&dd)
{
}

QHttpClient::~QHttpClient() = default;

bool QHttpClient::request(THttpMethod method, QUrl url, const TRequestHandler& reqHandler,
                          const TResponseHandler& resHandler)
{
    Q_D(QHttpClient);
    d->reqHandler = nullptr;
    d->resHandler = nullptr;
    if (url.isEmpty() || !url.isValid()) {
        qWarning() << "Cannot request an invalid URL:" << url.toString();
        return false;
    }
    if (resHandler) {
        d->resHandler = resHandler;
        d->reqHandler = reqHandler ? reqHandler : TRequestHandler(&defaultRequestHandler);
    }
    const TBackend backend = url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0
                                 ? ELocalSocket
                                 : ETcpSocket;
    // A new exchange abandons one still open: its handlers are gone already.
    const bool previousDone = !d->exchangeOpen;
    d->exchangeOpen = false;
    const bool connected = d->chooseSocket(url, backend, previousDone);
    d->makeRequest(method, url);
    d->exchangeOpen = true;
    ++d->exchangeSerial;
    d->errorString.clear();

    const QPointer<QHttpClient> self(this);
    d->insideRequestCall = true;
    if (connected)
        d->onConnected();
    else
        d->startConnecting(url);
    if (self)
        d->insideRequestCall = false;
    return true;
}

void QHttpClient::setConnectingTimeOut(quint32 ms)
{
    Q_D(QHttpClient);
    if (ms > 0 && !d->socket.isConnected())
        d->connectingTimer.start(static_cast<int>(ms), Qt::CoarseTimer, this);
    else
        d->connectingTimer.stop();
}

quint32 QHttpClient::timeOut() const
{
    return d_func()->timeOut;
}

void QHttpClient::setTimeOut(quint32 timeOut)
{
    Q_D(QHttpClient);
    d->timeOut = timeOut;
    if (timeOut == 0)
        d->idleTimer.stop();
    else if (d->socket.isConnected())
        d->idleTimer.start(static_cast<int>(timeOut), Qt::CoarseTimer, this);
}

bool QHttpClient::isOpen() const
{
    return d_func()->socket.isConnected();
}

void QHttpClient::killConnection()
{
    Q_D(QHttpClient);
    d->connectingTimer.stop();
    d->idleTimer.stop();
    d->failAndClose(QStringLiteral("connection closed by the caller"));
}

QString QHttpClient::errorString() const
{
    return d_func()->errorString;
}

TBackend QHttpClient::backendType() const
{
    return d_func()->socket.backend;
}

QTcpSocket* QHttpClient::tcpSocket() const
{
    return d_func()->socket.tcp;
}

QLocalSocket* QHttpClient::localSocket() const
{
    return d_func()->socket.local;
}

void QHttpClient::onRequestReady(QHttpRequest* request)
{
    emit httpConnected(request);
}

void QHttpClient::onResponseReady(QHttpResponse* response)
{
    emit newResponse(response);
}

void QHttpClient::timerEvent(QTimerEvent* event)
{
    Q_D(QHttpClient);
    if (event->timerId() == d->idleTimer.timerId()) {
        d->onIdleTimeOut();
    } else if (event->timerId() == d->connectingTimer.timerId()) {
        d->connectingTimer.stop();
        emit connectingTimeOut();
    } else {
        QObject::timerEvent(event);
    }
}

} // namespace client
} // namespace qhttp
