#pragma once

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

private:
    friend class CloudTaskPool;
    CloudTaskPool* pool_ = nullptr;
    int generation_ = 0;
};

} // namespace pc
} // namespace vesk
