#pragma once

#include "cloudlink/CloudExchange.h"

#include <QRunnable>

namespace vesk {
namespace pc {

class CloudTaskPool;

// A cloud task: runs once on a pool thread and is deleted by the pool.
// CloudTaskPool starts it, so that the queue stays bounded and shutdown can
// drop what waits and ask what runs to end.
class CloudTask : public QRunnable
{
public:
    ~CloudTask() override = default;

    void run() final;
    // Tasks that wait on a camera before posting; the pool keeps some of
    // its threads free of them.
    virtual bool readsCamera() const { return false; }

protected:
    CloudTask() = default;
    // The task's work; long waits end early when stopRequested() turns true.
    virtual void work() = 0;
    bool stopRequested() const;
    // One cloud request that also ends when this task is asked to stop.
    CloudExchange::Outcome post(const QUrl& url, std::function<QJsonObject()> body, const char* connectingWarning,
                                QtMsgType reasonLevel, QJsonObject* reply) const;
    // A post to path on the cloud log server; skipped when none is configured.
    void postToLogServer(const QString& path, std::function<QJsonObject()> body, const char* connectingWarning) const;

private:
    friend class CloudTaskPool;
    CloudTaskPool* pool_ = nullptr;
    int generation_ = 0;
};

} // namespace pc
} // namespace vesk
