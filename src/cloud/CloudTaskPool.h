#pragma once

#include <QList>
#include <QMutex>

#include <atomic>

class QThreadPool;

namespace vesk {
namespace pc {

class CloudTask;

// Starts cloud tasks on a thread pool (the application's global one) with
// bounds: at most kMaxWaiting tasks wait, further ones are dropped; tasks
// that wait on a camera never hold all of the pool's threads; shutdown drops
// what waits, asks what runs to end and waits a bounded time.
class CloudTaskPool
{
public:
    static constexpr int kMaxWaiting = 50;

    explicit CloudTaskPool(QThreadPool* pool);
    // Running tasks call back into the pool: waits for them.
    ~CloudTaskPool();
    // On QThreadPool::globalInstance(); never destroyed, since pool threads
    // may still finish tasks while the program exits.
    static CloudTaskPool& global();

    // Takes the task; false when it was dropped (and deleted).
    bool start(CloudTask* task);
    // True when no task runs any more within waitMs.
    bool shutdown(int waitMs);

    int waitingCount() const;
    // Camera-reading tasks the pool may hold at once: all threads but one.
    int cameraTaskLimit() const;
    bool stopRequested(int generation) const { return generation != generation_.load(); }

private:
    friend class CloudTask;
    void taskStarted(CloudTask* task);
    void taskFinished(CloudTask* task);
    void hand(CloudTask* task);  // under mutex_

    QThreadPool* pool_;
    mutable QMutex mutex_;
    QList<CloudTask*> queued_;    // handed to the pool, not started
    QList<CloudTask*> heldBack_;  // camera tasks beyond the limit, in order
    int cameraTasks_ = 0;         // camera tasks handed to the pool and not finished
    std::atomic<int> generation_{0};
};

} // namespace pc
} // namespace vesk
