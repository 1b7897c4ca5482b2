#pragma once

#include "download/BlockWorker.h"

#include <QByteArray>
#include <QCryptographicHash>

namespace vesk {
namespace pc {

// The MD5 of a stream of blocks, computed on a thread of its own so that
// hashing a download overlaps receiving it (and reads each block soon after
// it arrived, while it is still in the cache). At most kMaxPending blocks
// wait: add() blocks while that many do.
class BlockHasher
{
public:
    static constexpr int kMaxPending = BlockWorker::kMaxPending;

    BlockHasher();

    // The blocks are shared, not copied.
    void add(const QByteArray& block) { worker_.add(block); }
    // Lower-case hexadecimal MD5 of all blocks added; waits for the last one.
    QByteArray resultHex();

private:
    QCryptographicHash md5_;  // only the worker touches it while it runs
    BlockWorker worker_;      // after md5_: it ends first
};

} // namespace pc
} // namespace vesk
