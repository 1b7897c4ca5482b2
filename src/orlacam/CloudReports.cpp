#include "orlacam/CloudReports.h"

#include <QDebug>
#include <QJsonDocument>

namespace vesk {
namespace pc {

void devActionToServer(const QString& sn, int action, int trigger, const QString& comment,
                       const QVariant& value1, const QVariant& value2, const QVariant& value3,
                       const QVariant& value4, const QVariant& value5)
{
    qDebug().noquote() << "Action report: sn" << sn << "action" << action << "trigger" << trigger
                       << "comment" << comment << "values"
                       << QVariantList{value1, value2, value3, value4, value5};
}

void pushDevUsageState(const QString& sn, unsigned int type)
{
    qDebug().noquote() << "State report: sn" << sn << "type" << Qt::hex << type;
}

void pushDevRegistration(const QJsonObject& info)
{
    qDebug().noquote() << "Registration report:" << QJsonDocument(info).toJson(QJsonDocument::Compact);
}

} // namespace pc
} // namespace vesk
