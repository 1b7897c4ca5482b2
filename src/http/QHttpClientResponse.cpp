#include "http/QHttpClientResponse.h"

#include "http/HttpLimits.h"
#include "http/QHttpClient.h"
#include "http/QHttpClientResponsePrivate.h"

namespace qhttp {
namespace client {

QHttpResponse::QHttpResponse(QHttpClient* client)
    : QHttpResponse(*new QHttpResponsePrivate(client), client)
{
}

QHttpResponse::QHttpResponse(QHttpResponsePrivate& dd, QHttpClient* client)
    : QHttpAbstractInput(&dd, client)
    , d_ptr(&dd)
{
    d_ptr->q_ptr = this;
    d_ptr->defaultCapacity = limits::kDefaultClientCollectBytes;
}

QHttpResponse::~QHttpResponse() = default;

TStatusCode QHttpResponse::status() const
{
    return d_func()->status;
}

const QString& QHttpResponse::statusString() const
{
    return d_func()->statusString;
}

QHttpClient* QHttpResponse::connection() const
{
    return d_func()->client;
}

} // namespace client
} // namespace qhttp
