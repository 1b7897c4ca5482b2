#include "cloud/PushToServer.h"

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
    postToLogServer(path, [this] { return withClientKeys(body_); }, "Connecting timeout: PushToServer failed");
}

} // namespace pc
} // namespace vesk
