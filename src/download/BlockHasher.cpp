#include "download/BlockHasher.h"

namespace vesk {
namespace pc {

BlockHasher::BlockHasher()
    : md5_(QCryptographicHash::Md5)
    , worker_([this] { work(); })
{
}

BlockHasher::~BlockHasher()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        pending_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

void BlockHasher::add(const QByteArray& block)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return int(pending_.size()) < kMaxPending; });
    pending_.push_back(block);
    changed_.notify_all();
}

QByteArray BlockHasher::resultHex()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty() && !busy_; });
    return md5_.result().toHex();
}

void BlockHasher::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !pending_.empty(); });
        if (closing_)
            return;
        const QByteArray block = pending_.front();
        pending_.pop_front();
        busy_ = true;
        lock.unlock();
        md5_.addData(block);
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace pc
} // namespace vesk
