#include "http/QHttpClientRequest.h"

#include "http/QHttpClient.h"
#include "http/QHttpClientRequestPrivate.h"

#include <QLocalSocket>
#include <QTcpSocket>

namespace qhttp {
namespace client {

QHttpRequestPrivate::QHttpRequestPrivate(QHttpClient* owner)
    : client(owner)
{
    socket.backend = owner->backendType();
    socket.tcp = owner->tcpSocket();
    socket.local = owner->localSocket();
}

QByteArray QHttpRequestPrivate::makeTitle()
{
    QByteArray title;
    title.reserve(512);
    title += http_method_str(static_cast<http_method>(method));
    title += ' ';
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    title += path.isEmpty() ? QByteArrayLiteral("/") : path;
    if (url.hasQuery()) {
        title += '?';
        title += url.query(QUrl::FullyEncoded).toLatin1();
    }
    title += " HTTP/";
    title += version.toLatin1();
    title += "\r\n";
    return title;
}

void QHttpRequestPrivate::prepareHeadersToWrite()
{
    if (headers.contains(QByteArrayLiteral("host")))
        return;
    const int port = url.port() > 0 ? url.port() : 80;
    QByteArray host = url.host(QUrl::FullyDecoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']'; // an IPv6 address
    headers.insert(QByteArrayLiteral("host"), host + ':' + QByteArray::number(port));
}

QHttpRequest::QHttpRequest(QHttpClient* client)
    : QHttpRequest(*new QHttpRequestPrivate(client), client)
{
}

QHttpRequest::QHttpRequest(QHttpRequestPrivate& dd, QHttpClient* client)
    : QHttpAbstractOutput(&dd, client)
    , d_ptr(&dd)
{
    d_ptr->q_ptr = this;
}

QHttpRequest::~QHttpRequest() = default;

QHttpClient* QHttpRequest::connection() const
{
    return d_func()->client;
}

} // namespace client
} // namespace qhttp
