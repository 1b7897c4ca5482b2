#include "cloud/CloudTask.h"

#include "cloudlink/CloudEndpoints.h"
#include "cloud/CloudTaskPool.h"

namespace vesk {
namespace pc {

void CloudTask::run()
{
    if (pool_)
        pool_->taskStarted(this);
    if (!stopRequested())
        work();
    if (pool_)
        pool_->taskFinished(this);
}

bool CloudTask::stopRequested() const
{
    return pool_ && pool_->stopRequested(generation_);
}

CloudExchange::Outcome CloudTask::post(const QUrl& url, std::function<QJsonObject()> body,
                                       const char* connectingWarning, QtMsgType reasonLevel, QJsonObject* reply) const
{
    CloudExchange::Request request;
    request.url = url;
    request.body = std::move(body);
    request.connectingWarning = connectingWarning;
    request.reasonLevel = reasonLevel;
    request.stopRequested = [this] { return stopRequested(); };
    return CloudExchange::post(request, reply);
}

void CloudTask::postToLogServer(const QString& path, std::function<QJsonObject()> body,
                                const char* connectingWarning) const
{
    const QUrl url = CloudEndpoints::logServer(path);
    if (!url.isValid())
        return;
    QJsonObject reply;
    post(url, std::move(body), connectingWarning, QtCriticalMsg, &reply);
}

} // namespace pc
} // namespace vesk
