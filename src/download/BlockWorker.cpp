#include "download/BlockWorker.h"

#include <QtGlobal>

#ifdef __linux__
#include <pthread.h>
#endif

namespace vesk {
namespace pc {

BlockWorker::BlockWorker(const char* name, Work work)
    : work_(std::move(work))
    , thread_([this] { run(); })
{
#ifdef __linux__
    pthread_setname_np(thread_.native_handle(), name);
#else
    Q_UNUSED(name);
#endif
}

BlockWorker::~BlockWorker()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        pending_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void BlockWorker::add(const QByteArray& block)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return int(pending_.size()) < kMaxPending; });
    if (!failed_)
        pending_.push_back(block);
    changed_.notify_all();
}

bool BlockWorker::finish()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty() && !busy_; });
    return !failed_;
}

void BlockWorker::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !pending_.empty(); });
        if (closing_)
            return;
        QByteArray block = std::move(pending_.front());
        pending_.pop_front();
        busy_ = true;
        lock.unlock();
        const bool worked = work_(block);
        block = QByteArray();  // let go before the next block is taken
        lock.lock();
        if (!worked) {
            failed_ = true;
            pending_.clear();
        }
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace pc
} // namespace vesk
