#include "cloud/CloudTask.h"

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

} // namespace pc
} // namespace vesk
