#pragma once

#include "cloud/CloudTask.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>

namespace vesk {
namespace pc {

// Asks the firmware query server for the newest package and hands the
// checked package (or an empty object) to a slot of the receiver, by name,
// on the receiver's thread. A receiver deleted meanwhile gets nothing.
class QueryFromServer : public CloudTask
{
public:
    enum QueryInfoType : int {
        QueryPcSoftware = 0,
        QueryDevFirmware = 1,
        QueryNone = 2,
    };

    QueryFromServer() = default;
    QueryFromServer(QJsonObject query, QueryInfoType type, QObject* receiver, QSharedPointer<QString> slot);

    // query with "latest", "device_info" and, for firmware, "pc_version".
    static QJsonObject queryBody(QJsonObject query, int type);

protected:
    void work() override;

private:
    void deliver(const QJsonObject& result) const;

    QJsonObject query_;
    QueryInfoType type_ = QueryNone;
    QPointer<QObject> receiver_;
    QSharedPointer<QString> slot_;
};

} // namespace pc
} // namespace vesk
