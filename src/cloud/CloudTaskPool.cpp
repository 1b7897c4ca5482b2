#include "cloud/CloudTaskPool.h"

#include "cloud/CloudTask.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThreadPool>

namespace vesk {
namespace pc {

CloudTaskPool::CloudTaskPool(QThreadPool* pool)
    : pool_(pool)
{
}

CloudTaskPool::~CloudTaskPool()
{
    shutdown(-1);
}

CloudTaskPool& CloudTaskPool::global()
{
    static CloudTaskPool* const instance = new CloudTaskPool(QThreadPool::globalInstance());
    return *instance;
}

int CloudTaskPool::cameraTaskLimit() const
{
    return qMax(1, pool_->maxThreadCount() - 1);
}

int CloudTaskPool::waitingCount() const
{
    QMutexLocker lock(&mutex_);
    return queued_.size() + heldBack_.size();
}

bool CloudTaskPool::start(CloudTask* task)
{
    QMutexLocker lock(&mutex_);
    if (queued_.size() + heldBack_.size() >= kMaxWaiting) {
        lock.unlock();
        qWarning() << "Cloud task dropped:" << kMaxWaiting << "tasks are already waiting";
        delete task;
        return false;
    }
    task->pool_ = this;
    task->generation_ = generation_;
    task->setAutoDelete(true);
    if (task->readsCamera() && cameraTasks_ >= cameraTaskLimit())
        heldBack_.append(task);
    else
        hand(task);
    return true;
}

void CloudTaskPool::hand(CloudTask* task)
{
    if (task->readsCamera())
        ++cameraTasks_;
    queued_.append(task);
    pool_->start(task, 0);
}

void CloudTaskPool::taskStarted(CloudTask* task)
{
    QMutexLocker lock(&mutex_);
    queued_.removeOne(task);
}

void CloudTaskPool::taskFinished(CloudTask* task)
{
    QMutexLocker lock(&mutex_);
    if (!task->readsCamera())
        return;
    --cameraTasks_;
    if (!heldBack_.isEmpty())
        hand(heldBack_.takeFirst());
}

bool CloudTaskPool::shutdown(int waitMs)
{
    QElapsedTimer clock;
    clock.start();
    int dropped = 0;
    {
        QMutexLocker lock(&mutex_);
        ++generation_;
        dropped = heldBack_.size();
        qDeleteAll(heldBack_);
        heldBack_.clear();
        // A task the pool has just taken is starting and waits for this lock;
        // it sees the stop and ends at once.
        QList<CloudTask*> starting;
        for (CloudTask* task : qAsConst(queued_)) {
            if (!pool_->tryTake(task)) {
                starting.append(task);
                continue;
            }
            if (task->readsCamera())
                --cameraTasks_;
            delete task;
            ++dropped;
        }
        queued_ = starting;
    }
    const bool idle = pool_->waitForDone(waitMs);
    if (idle)
        qInfo() << "Cloud tasks stopped:" << dropped << "waiting dropped, idle after" << clock.elapsed() << "ms";
    else
        qWarning() << "Cloud tasks still running after" << clock.elapsed() << "ms;" << dropped << "waiting dropped";
    return idle;
}

} // namespace pc
} // namespace vesk
