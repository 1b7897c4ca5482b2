#include "httpserver/HttpServerReqHandler.h"

#include "comm/GlobalParams.h"
#include "comm/JsonGuard.h"
#include "http/QHttpServerRequest.h"
#include "httpserver/ServiceIo.h"

#include <QDebug>
#include <QJsonDocument>

namespace vesk {
namespace pc {

namespace {

const QString kOk = QStringLiteral("OK");

// "/common" cmd 2: whether the camera should upgrade from its state; states
// 1 and 2 depend on whether a fall-back is allowed.
int upgradeForState(int state)
{
    if (state == 0)
        return 0;
    if (state == 1 || state == 2)
        return GlobalParams::get().fallback_enable ? 0 : 1;
    return 1;
}

} // namespace

void HttpServerReqHandler::getServiceCommon(qhttp::server::QHttpRequest* request,
                                            qhttp::server::QHttpResponse* response)
{
    const int cmd = ServiceIo::number(request, QStringLiteral("cmd"));
    QJsonObject body = ServiceIo::result(200, kOk);
    if (cmd == 2) {
        body.insert(QStringLiteral("upgrade"), upgradeForState(ServiceIo::number(request, QStringLiteral("state"))));
    } else if (cmd != 1) {
        qDebug() << "Unknown common cmd =" << cmd;
        ServiceIo::endJson(response, qhttp::ESTATUS_NOT_FOUND, ServiceIo::kJsonUtf8, QJsonObject());
        return;
    }
    ServiceIo::endJson(response, qhttp::ESTATUS_OK, ServiceIo::kJsonUtf8, body);
}

void HttpServerReqHandler::postServiceRespTask(qhttp::server::QHttpRequest* request,
                                               qhttp::server::QHttpResponse* response)
{
    const QJsonObject report = JsonGuard::fromJson(request->collectedData()).object();
    QJsonObject reply = ServiceIo::result(200, kOk);
    if (report.value(QStringLiteral("cmd")).toString() != QLatin1String("UpgradeProgress")) {
        qInfo() << "Progress report without its cmd:" << report.value(QStringLiteral("cmd"));
        reply = ServiceIo::result(401, QStringLiteral("Unknown cmd"));
    } else if (!report.contains(QStringLiteral("type")) || !report.contains(QStringLiteral("uuid"))
               || !report.contains(QStringLiteral("msg"))) {
        qInfo() << "Progress report without type, uuid or msg:" << report.keys();
        reply = ServiceIo::result(301, QStringLiteral("Param error"));
    } else {
        emit GlobalParams::get().devUpgradeProgress(
            static_cast<GlobalParams::UgProgressEnum>(report.value(QStringLiteral("type")).toInt()),
            report.value(QStringLiteral("uuid")).toString(), report.value(QStringLiteral("msg")).toString());
    }
    ServiceIo::endJson(response, qhttp::ESTATUS_OK, ServiceIo::kJson, reply);
}

} // namespace pc
} // namespace vesk
