#pragma once

#include "http/HttpReader.h"
#include "http/HttpRequestBase.h"
#include "http/QHttpServerRequest.h"

namespace qhttp {
namespace server {

class QHttpRequestPrivate : public details::HttpRequestBase, public details::HttpReader
{
public:
    explicit QHttpRequestPrivate(QHttpConnection* conn)
        : connection(conn)
    {
    }
    virtual ~QHttpRequestPrivate() = default;

    QHttpRequest* q_ptr = nullptr;
    QString remoteAddress;
    quint16 remotePort = 0;
    QHttpConnection* connection;
};

} // namespace server
} // namespace qhttp
