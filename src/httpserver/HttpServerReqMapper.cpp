#include "httpserver/HttpServerReqMapper.h"

#include "http/QHttpServerRequest.h"
#include "http/QHttpServerResponse.h"
#include "httpserver/HttpServerReqHandler.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

using Service = void (*)(qhttp::server::QHttpRequest*, qhttp::server::QHttpResponse*);

struct Route
{
    qhttp::THttpMethod method;
    const char* prefix;  // compared case-sensitively, as a prefix only
    Service service;
};

// First match wins: a POST on any path is a progress report.
const Route kRoutes[] = {
    {qhttp::EHTTP_POST, "", &HttpServerReqHandler::postServiceRespTask},
    {qhttp::EHTTP_GET, "/download", &HttpServerReqHandler::getServiceDownload},
    {qhttp::EHTTP_GET, "/query", &HttpServerReqHandler::getServiceQuery},
    {qhttp::EHTTP_GET, "/common", &HttpServerReqHandler::getServiceCommon},
};

} // namespace

HttpServerReqMapper::HttpServerReqMapper(qhttp::server::QHttpRequest* request,
                                         qhttp::server::QHttpResponse* response)
    : QObject(request)
    , request_(request)
    , response_(response)
{
    // A larger body fails the request, and the HTTP layer answers 413.
    request->collectData(kMaxBodyBytes);
    connect(request, &qhttp::server::QHttpRequest::end, this, &HttpServerReqMapper::route);
}

void HttpServerReqMapper::route()
{
    if (!response_)
        return;
    const QString path = request_->url().path(QUrl::FullyDecoded);
    for (const Route& route : kRoutes) {
        if (request_->method() == route.method && path.startsWith(QLatin1String(route.prefix))) {
            route.service(request_, response_);
            return;
        }
    }
    qInfo() << "Not served:" << request_->methodString() << path;
    response_->setStatusCode(qhttp::ESTATUS_NOT_IMPLEMENTED);
    response_->end(QByteArrayLiteral("Method is not support at present"));
}

} // namespace pc
} // namespace vesk
