#include "http/QHttpConnection.h"

#include "http/QHttpConnectionPrivate.h"

#include <QLocalSocket>
#include <QTcpSocket>
#include <QTimerEvent>

namespace qhttp {
namespace server {

QHttpConnection::QHttpConnection(QObject* parent)
    : QHttpConnection(*new QHttpConnectionPrivate(this), parent)
{
}

QHttpConnection::QHttpConnection(QHttpConnectionPrivate& dd, QObject* parent)
    : QObject(parent)
    , d_ptr(&dd)
{
}

QHttpConnection::~QHttpConnection() = default;

void QHttpConnection::setSocketDescriptor(qintptr descriptor, TBackend backend)
{
    Q_D(QHttpConnection);
    if (backend == ELocalSocket)
        d->initLocalSocket(descriptor);
    else
        d->initTcpSocket(descriptor);
}

void QHttpConnection::setTimeOut(quint32 timeOut)
{
    Q_D(QHttpConnection);
    if (timeOut == 0)
        return;
    d->timeOut = timeOut;
    d->restartIdleTimer();
}

void QHttpConnection::setHeadTimeOut(quint32 timeOut)
{
    if (timeOut != 0)
        d_func()->setHeadTimeOut(timeOut);
}

void QHttpConnection::setRequestTimeOut(quint32 timeOut)
{
    if (timeOut != 0)
        d_func()->requestTimeOut = timeOut;
}

void QHttpConnection::killConnection()
{
    Q_D(QHttpConnection);
    if (d->socket.tcp)
        d->socket.tcp->close();
    else if (d->socket.local)
        d->socket.local->close();
}

void QHttpConnection::onHandler(const TServerHandler& handler)
{
    d_func()->handler = handler;
}

TBackend QHttpConnection::backendType() const
{
    return d_func()->socket.backend;
}

QTcpSocket* QHttpConnection::tcpSocket() const
{
    return d_func()->socket.tcp;
}

QLocalSocket* QHttpConnection::localSocket() const
{
    return d_func()->socket.local;
}

void QHttpConnection::timerEvent(QTimerEvent* event)
{
    Q_D(QHttpConnection);
    if (event->timerId() == d->idleTimer.timerId())
        d->onIdleTimeOut();
    else if (event->timerId() == d->requestTimer.timerId())
        d->onRequestTimeOut();
    else
        QObject::timerEvent(event);
}

} // namespace server
} // namespace qhttp
