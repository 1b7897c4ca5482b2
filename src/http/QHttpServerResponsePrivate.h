#pragma once

#include "http/HttpResponseBase.h"
#include "http/HttpWriter.h"
#include "http/QHttpServerResponse.h"

namespace qhttp {
namespace server {

class QHttpResponsePrivate : public details::HttpResponseBase, public details::HttpWriter
{
public:
    // Takes the backend and socket of the connection as they are now.
    explicit QHttpResponsePrivate(QHttpConnection* conn);

    QHttpResponse* q_ptr = nullptr;
    QHttpConnection* connection;

protected:
    QByteArray makeTitle() override;
    void prepareHeadersToWrite() override;
};

} // namespace server
} // namespace qhttp
