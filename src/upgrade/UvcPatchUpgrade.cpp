#include "upgrade/UvcPatchUpgrade.h"

#include "upgrade/UvcUpgradeTask.h"
#include "uvc/UvcDevices.h"
#include "uvc/UvcTiming.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QList>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

constexpr unsigned long kPollMs = 20;  // how soon the thread sees its task given up

// Tasks given up by their handles, until they have ended.
QMutex& abandonedMutex()
{
    static QMutex mutex;
    return mutex;
}

QList<UvcUpgradeTask*>& abandonedTasks()
{
    static QList<UvcUpgradeTask*> tasks;
    return tasks;
}

} // namespace

UvcPatchUpgrade::UvcPatchUpgrade(const QString& sn, UvcTaskType type, QObject* parent)
    : UvcPatchUpgrade(sn, type, UvcDevices::get(), parent)
{
}

UvcPatchUpgrade::UvcPatchUpgrade(const QString& sn, UvcTaskType type, UvcDevices& registry, QObject* parent)
    : QThread(parent)
    , task_(new UvcUpgradeTask(sn, type, registry))
    , stopWaitMs_(kStopWaitMs * UvcTiming::defaults().upgradeTimeoutPercent / 100)
{
    connect(task_, &UvcUpgradeTask::progressUpdate, this, &UvcPatchUpgrade::progressUpdate);
}

// No terminate: the task ends on the stop request at its next wait or step,
// and every camera operation is bounded; one that still holds it after the
// wait (a camera transfer the system never returns from, the diff of a large
// image) is given up rather than waited for without end.
UvcPatchUpgrade::~UvcPatchUpgrade()
{
    task_->requestStop();
    static_cast<void>(wait(QDeadlineTimer(stopWaitMs_)));
    {
        QMutexLocker lock(&startMutex_);
        givenUp_ = true;  // a thread not yet at its start never starts the task
    }
    wait();  // ends at once, or at its next look at the task
    if (task_->isRunning()) {
        qCritical() << "Camera task still running" << stopWaitMs_ << "ms after the stop request; given up:"
                    << task_->describe();
        disconnect(task_, nullptr, this, nullptr);
        task_->abandon();
        QMutexLocker lock(&abandonedMutex());
        abandonedTasks().append(task_);
    } else {
        delete task_;
    }
    reapAbandoned();
}

int UvcPatchUpgrade::reapAbandoned()
{
    QList<UvcUpgradeTask*> ended;
    int running = 0;
    {
        QMutexLocker lock(&abandonedMutex());
        QList<UvcUpgradeTask*>& tasks = abandonedTasks();
        for (auto it = tasks.begin(); it != tasks.end();) {
            if ((*it)->isFinished()) {
                ended.append(*it);
                it = tasks.erase(it);
            } else {
                ++running;
                ++it;
            }
        }
    }
    qDeleteAll(ended);
    return running;
}

void UvcPatchUpgrade::run()
{
    {
        QMutexLocker lock(&startMutex_);
        if (givenUp_)
            return;
        task_->setStackSize(stackSize());
        task_->start(priority());
    }
    while (!task_->wait(kPollMs)) {
        QMutexLocker lock(&startMutex_);
        if (givenUp_)
            return;
    }
}

void UvcPatchUpgrade::requestStop()
{
    task_->requestStop();
}

bool UvcPatchUpgrade::isStopping() const
{
    return task_->isStopping();
}

int UvcPatchUpgrade::progress() const
{
    return task_->progress();
}

void UvcPatchUpgrade::setPackage(const QString& path)
{
    task_->setPackage(path);
}

void UvcPatchUpgrade::onStreamVideoData(QByteArray data)
{
    task_->onStreamVideoData(data);
}

} // namespace pc
} // namespace vesk
