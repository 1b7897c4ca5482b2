#pragma once

#include "http/HttpReader.h"
#include "http/HttpResponseBase.h"
#include "http/QHttpClientResponse.h"

namespace qhttp {
namespace client {

class QHttpResponsePrivate : public details::HttpResponseBase, public details::HttpReader
{
public:
    explicit QHttpResponsePrivate(QHttpClient* owner)
        : client(owner)
    {
        version = QStringLiteral("1.1");
    }
    virtual ~QHttpResponsePrivate() = default;

    QHttpResponse* q_ptr = nullptr;
    QString statusString;
    QHttpClient* client;
};

} // namespace client
} // namespace qhttp
