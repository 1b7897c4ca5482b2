#pragma once

#include "http/HttpTypes.h"

namespace vesk {
namespace pc {

// The four services of the local firmware server. Each takes a request
// whose body is complete and ends its response, at once or once the slow
// work it needs is done off the server's thread. The camera's firmware
// relies on the statuses, types and texts of every reply.
class HttpServerReqHandler
{
public:
    HttpServerReqHandler() = delete;

    // GET "/download": a package file of the store, or a text saying why not.
    static void getServiceDownload(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
    // GET "/query": the newest package of the store for the request.
    static void getServiceQuery(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
    // GET "/common": the camera's small questions.
    static void getServiceCommon(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
    // POST: the camera's upgrade progress, passed on as devUpgradeProgress.
    static void postServiceRespTask(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response);
};

} // namespace pc
} // namespace vesk
