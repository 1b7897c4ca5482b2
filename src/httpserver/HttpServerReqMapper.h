#pragma once

#include "http/HttpTypes.h"

#include <QObject>
#include <QPointer>

namespace vesk {
namespace pc {

// Routes one request of the local firmware server to its service once its
// body is complete. A child of the request, so it lives exactly as long.
class HttpServerReqMapper : public QObject
{
    Q_OBJECT
public:
    // A camera posts a small JSON report; nothing it sends is larger.
    static constexpr int kMaxBodyBytes = 64 * 1024;

    HttpServerReqMapper(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);

private:
    void route();

    qhttp::server::QHttpRequest* request_;
    QPointer<qhttp::server::QHttpResponse> response_;
};

} // namespace pc
} // namespace vesk
