#include "http/QHttpServerRequest.h"

#include "http/HttpLimits.h"
#include "http/QHttpConnection.h"
#include "http/QHttpServerRequestPrivate.h"
#include "http/Stringify.h"

namespace qhttp {
namespace server {

QHttpRequest::QHttpRequest(QHttpConnection* connection)
    : QHttpRequest(*new QHttpRequestPrivate(connection), connection)
{
}

QHttpRequest::QHttpRequest(QHttpRequestPrivate& dd, QHttpConnection* connection)
    : QHttpAbstractInput(&dd, connection)
    , d_ptr(&dd)
{
    d_ptr->q_ptr = this;
    d_ptr->defaultCapacity = limits::kMaxServerBodyBytes;
}

QHttpRequest::~QHttpRequest() = default;

THttpMethod QHttpRequest::method() const
{
    return d_func()->method;
}

QString QHttpRequest::methodString() const
{
    return Stringify::toString(d_func()->method);
}

const QUrl& QHttpRequest::url() const
{
    return d_func()->url;
}

const QString& QHttpRequest::remoteAddress() const
{
    return d_func()->remoteAddress;
}

quint16 QHttpRequest::remotePort() const
{
    return d_func()->remotePort;
}

QHttpConnection* QHttpRequest::connection() const
{
    return d_func()->connection;
}

} // namespace server
} // namespace qhttp
