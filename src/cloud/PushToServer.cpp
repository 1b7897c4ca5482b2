#include "cloud/PushToServer.h"

#include "cloud/CloudEndpoints.h"
#include "cloud/CloudExchange.h"

#include <QDebug>
#include <QLocale>
#include <QSysInfo>

namespace vesk {
namespace pc {

namespace {

const char* const kPushPaths[] = {
    "/dev/submit/", "/dev/status/submit/", "/dev/function/count/", "/zukicam/status/submit/",
    "/zukicam/devnum/stat/",
};

} // namespace

PushToServer::PushToServer(QJsonObject body, PushInfoType type)
    : body_(std::move(body))
    , type_(type)
{
}

QString PushToServer::pathOf(int type)
{
    if (type < 0 || type >= int(std::size(kPushPaths)))
        return QString();
    return QLatin1String(kPushPaths[type]);
}

QJsonObject PushToServer::withClientKeys(QJsonObject body)
{
    body.insert(QStringLiteral("country"), QLocale::countryToString(QLocale().country()));
    body.insert(QStringLiteral("system"), QSysInfo::productType() + QSysInfo::productVersion());
    return body;
}

void PushToServer::work()
{
    const QString path = pathOf(type_);
    if (path.isEmpty()) {
        qCritical() << "Unknown type =" << int(type_);
        return;
    }
    CloudExchange::Request request;
    request.url = CloudEndpoints::logServer(path);
    if (!request.url.isValid())
        return;
    request.body = [this] { return withClientKeys(body_); };
    request.connectingWarning = "Connecting timeout: PushToServer failed";
    request.stopRequested = [this] { return stopRequested(); };
    QJsonObject reply;
    CloudExchange::post(request, &reply);
}

} // namespace pc
} // namespace vesk
