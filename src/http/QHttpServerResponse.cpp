#include "http/QHttpServerResponse.h"

#include "http/QHttpConnection.h"
#include "http/QHttpServerResponsePrivate.h"
#include "http/Stringify.h"

#include <QDateTime>
#include <QLocalSocket>
#include <QTcpSocket>
#include <QLocale>

namespace qhttp {
namespace server {

QHttpResponsePrivate::QHttpResponsePrivate(QHttpConnection* conn)
    : connection(conn)
{
    socket.backend = conn->backendType();
    socket.tcp = conn->tcpSocket();
    socket.local = conn->localSocket();
}

QByteArray QHttpResponsePrivate::makeTitle()
{
    return QStringLiteral("HTTP/%1 %2 %3\r\n")
        .arg(version)
        .arg(static_cast<int>(status))
        .arg(Stringify::toString(status))
        .toLatin1();
}

void QHttpResponsePrivate::prepareHeadersToWrite()
{
    if (headers.contains(QByteArrayLiteral("date")))
        return;
    const QString date = QLocale::c().toString(QDateTime::currentDateTimeUtc(),
                                               QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"));
    headers.insert(QByteArrayLiteral("date"), (date + QStringLiteral(" GMT")).toLatin1());
}

QHttpResponse::QHttpResponse(QHttpConnection* connection)
    : QHttpResponse(*new QHttpResponsePrivate(connection), connection)
{
}

QHttpResponse::QHttpResponse(QHttpResponsePrivate& dd, QHttpConnection* connection)
    : QHttpAbstractOutput(&dd, connection)
    , d_ptr(&dd)
{
    d_ptr->q_ptr = this;
}

QHttpResponse::~QHttpResponse() = default;

void QHttpResponse::setStatusCode(TStatusCode code)
{
    d_func()->status = code;
}

TStatusCode QHttpResponse::statusCode() const
{
    return d_func()->status;
}

QHttpConnection* QHttpResponse::connection() const
{
    return d_func()->connection;
}

} // namespace server
} // namespace qhttp
