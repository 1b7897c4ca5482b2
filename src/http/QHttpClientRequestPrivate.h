#pragma once

#include "http/HttpRequestBase.h"
#include "http/HttpWriter.h"
#include "http/QHttpClientRequest.h"

namespace qhttp {
namespace client {

class QHttpRequestPrivate : public details::HttpRequestBase, public details::HttpWriter
{
public:
    // Takes the backend and socket of the client as they are now.
    explicit QHttpRequestPrivate(QHttpClient* client);

    QHttpRequest* q_ptr = nullptr;
    QHttpClient* client;

protected:
    QByteArray makeTitle() override;
    void prepareHeadersToWrite() override;
};

} // namespace client
} // namespace qhttp
