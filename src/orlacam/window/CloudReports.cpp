#include "orlacam/window/CloudReports.h"

#include "cloud/CloudTaskPool.h"
#include "cloud/PushToServer.h"
#include "cloud/QueryFromServer.h"
#include "comm/GlobalParams.h"

namespace vesk {
namespace pc {

void pushDevUsageState(const QString& sn, unsigned int type)
{
    CloudTaskPool::global().start(new PushDevUsageState(sn, type));
}

void pushDevRegistration(const QJsonObject& info)
{
    CloudTaskPool::global().start(new PushToServer(info, PushToServer::DevSubmit));
}

void queryPcSoftware(QObject* receiver, const QString& slot)
{
    CloudTaskPool::global().start(new QueryFromServer(GlobalParams::get().getPcSoftwareInfo(),
                                                      QueryFromServer::QueryPcSoftware, receiver,
                                                      QSharedPointer<QString>::create(slot)));
}

} // namespace pc
} // namespace vesk
