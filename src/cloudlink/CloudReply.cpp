#include "cloudlink/CloudReply.h"

#include "comm/JsonGuard.h"

#include <QDebug>
#include <QJsonDocument>

namespace vesk {
namespace pc {

namespace {

constexpr int kHttpOk = 200;
constexpr int kGoodErrorCode = 200;

} // namespace

CloudReply::Verdict CloudReply::check(int status, const QByteArray& body, QtMsgType reasonLevel,
                                      QJsonObject* object)
{
    *object = QJsonObject();
    if (status != kHttpOk) {
        qDebug() << "Cloud reply status" << status;
        return NotOk;
    }
    const QJsonObject reply = JsonGuard::fromJson(body).object();
    if (reply.isEmpty()) {
        qCritical() << "The response is an invalid json";
        return InvalidJson;
    }
    // A text "200" is not the number 200: toInt gives 0 for it.
    const QJsonValue code = reply.value(QLatin1String("errorcode"));
    if (code.isUndefined() || code.toInt(0) != kGoodErrorCode) {
        const QString reason = reply.value(QLatin1String("reason")).toString();
        if (reasonLevel == QtDebugMsg)
            qDebug() << "Error reason =" << reason;
        else
            qCritical() << "Error reason =" << reason;
        return ErrorCode;
    }
    *object = reply;
    return Good;
}

} // namespace pc
} // namespace vesk
