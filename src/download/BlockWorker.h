#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vesk {
namespace pc {

// A thread of its own that does one piece of work on each block, in the
// order the blocks were added, while the caller goes on receiving; the
// blocks are shared, not copied. At most kMaxPending blocks wait: add()
// blocks while that many do, so memory stays flat whatever the length of
// the stream, and a block added kMaxPending + 2 blocks ago has been let go.
// Once the work fails, the blocks after it are dropped.
class BlockWorker
{
public:
    static constexpr int kMaxPending = 4;
    // Returns false on a failure (which it logs).
    using Work = std::function<bool(const QByteArray& block)>;

    // name: the thread's, as the system shows it (up to 15 characters).
    BlockWorker(const char* name, Work work);
    // Drops what still waits and ends the thread.
    ~BlockWorker();
    BlockWorker(const BlockWorker&) = delete;
    BlockWorker& operator=(const BlockWorker&) = delete;

    void add(const QByteArray& block);
    // Waits until every block added is done; false when the work failed.
    bool finish();
    // True once the work has failed; does not wait.
    bool failed() const { return failed_; }

private:
    void run();

    Work work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QByteArray> pending_;
    bool busy_ = false;     // a block taken from pending_ is being worked on
    bool closing_ = false;
    std::atomic<bool> failed_{false};
    std::thread thread_;  // last: starts once the rest is set up
};

} // namespace pc
} // namespace vesk
