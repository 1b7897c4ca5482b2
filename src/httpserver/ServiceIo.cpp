#include "httpserver/ServiceIo.h"

#include "http/QHttpServerRequest.h"
#include "http/QHttpServerResponse.h"

#include <QJsonDocument>
#include <QUrlQuery>

namespace vesk {
namespace pc {

const QByteArray ServiceIo::kJsonUtf8 = QByteArrayLiteral("application/json; charset=utf-8");
const QByteArray ServiceIo::kJson = QByteArrayLiteral("application/json");
const QByteArray ServiceIo::kOctetStream = QByteArrayLiteral("application/octet-stream");

QString ServiceIo::text(const qhttp::server::QHttpRequest* request, const QString& key)
{
    return QUrlQuery(request->url()).queryItemValue(key, QUrl::FullyDecoded);
}

int ServiceIo::number(const qhttp::server::QHttpRequest* request, const QString& key)
{
    bool ok = false;
    const int value = text(request, key).toInt(&ok, 10);
    return ok ? value : 0;
}

QString ServiceIo::Package::prefix() const
{
    return product + QLatin1Char('_') + branch + QLatin1Char('_') + platform + QLatin1Char('_');
}

ServiceIo::Package ServiceIo::packageOf(const qhttp::server::QHttpRequest* request)
{
    Package package;
    package.cmd = number(request, QStringLiteral("cmd"));
    package.product = text(request, QStringLiteral("product"));
    package.branch = text(request, QStringLiteral("branch"));
    package.platform = text(request, QStringLiteral("platform"));
    package.status = text(request, QStringLiteral("status"));
    package.version = text(request, QStringLiteral("version"));
    return package;
}

QJsonObject ServiceIo::result(int code, const QString& reason)
{
    return QJsonObject{{QStringLiteral("errorcode"), code}, {QStringLiteral("reason"), reason}};
}

void ServiceIo::endJson(qhttp::server::QHttpResponse* response, qhttp::TStatusCode status,
                        const QByteArray& contentType, const QJsonObject& body)
{
    response->setStatusCode(status);
    response->addHeader("Content-Type", contentType);
    response->end(QJsonDocument(body).toJson(QJsonDocument::Indented));
}

void ServiceIo::startDownload(qhttp::server::QHttpResponse* response)
{
    response->setStatusCode(qhttp::ESTATUS_OK);
    response->addHeader("Content-Type", kOctetStream);
}

void ServiceIo::endDownloadText(qhttp::server::QHttpResponse* response, const QString& text)
{
    const QByteArray body = text.toLocal8Bit();
    response->addHeaderInt("content-length", body.size());
    response->end(body);
}

} // namespace pc
} // namespace vesk
