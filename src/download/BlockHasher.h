#pragma once

#include <QByteArray>
#include <QCryptographicHash>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vesk {
namespace pc {

// The MD5 of a stream of blocks, computed on a thread of its own so that
// hashing a download overlaps receiving it. At most kMaxPending blocks wait:
// add() blocks while that many do, so memory stays flat whatever the size.
class BlockHasher
{
public:
    static constexpr int kMaxPending = 2;

    BlockHasher();
    // Drops what still waits and ends the thread.
    ~BlockHasher();
    BlockHasher(const BlockHasher&) = delete;
    BlockHasher& operator=(const BlockHasher&) = delete;

    // The block's bytes are shared, not copied.
    void add(const QByteArray& block);
    // Lower-case hexadecimal MD5 of all blocks added; waits for the last one.
    QByteArray resultHex();

private:
    void work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QByteArray> pending_;
    bool busy_ = false;     // a block taken from pending_ is being hashed
    bool closing_ = false;
    QCryptographicHash md5_;  // only the worker touches it while it runs
    std::thread worker_;
};

} // namespace pc
} // namespace vesk
