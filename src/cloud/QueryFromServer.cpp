#include "cloud/QueryFromServer.h"

#include "cloudlink/CloudEndpoints.h"
#include "cloudlink/PackageCheck.h"
#include "comm/GlobalParams.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>

namespace vesk {
namespace pc {

QueryFromServer::QueryFromServer(QJsonObject query, QueryInfoType type, QObject* receiver,
                                 QSharedPointer<QString> slot)
    : query_(std::move(query))
    , type_(type)
    , receiver_(receiver)
    , slot_(std::move(slot))
{
}

QJsonObject QueryFromServer::queryBody(QJsonObject query, int type)
{
    query.insert(QStringLiteral("latest"), QStringLiteral("true"));
    query.insert(QStringLiteral("device_info"), QString());
    if (type == QueryDevFirmware)
        query.insert(QStringLiteral("pc_version"), GlobalParams::getPcSoftwareVer());
    return query;
}

void QueryFromServer::work()
{
    if (type_ != QueryPcSoftware && type_ != QueryDevFirmware) {
        qCritical() << "Unknown type =" << int(type_);
        return;
    }
    QJsonObject reply;
    const CloudExchange::Outcome outcome =
        post(CloudEndpoints::queryServer(), [this] { return queryBody(query_, type_); }, "Connecting timeout",
             QtDebugMsg, &reply);
    if (outcome == CloudExchange::NotStarted)
        return;
    deliver(outcome == CloudExchange::Good ? PackageCheck::acceptedPackage(reply, query_) : QJsonObject());
}

// The receiver is looked at only on the application's thread, where it
// lives and is deleted, so it cannot go away between the look and the call.
void QueryFromServer::deliver(const QJsonObject& result) const
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !slot_ || slot_->isEmpty() || receiver_.isNull())
        return;
    const QPointer<QObject> receiver = receiver_;
    const QByteArray slot = slot_->toLatin1();
    QMetaObject::invokeMethod(
        app,
        [receiver, slot, result] {
            if (!receiver) {
                qDebug() << "Query receiver is gone:" << slot << "not called";
                return;
            }
            if (!QMetaObject::invokeMethod(receiver, slot.constData(), Qt::AutoConnection,
                                           Q_ARG(QJsonObject, result)))
                qWarning() << "Query receiver has no slot" << slot;
        },
        Qt::QueuedConnection);
}

} // namespace pc
} // namespace vesk
