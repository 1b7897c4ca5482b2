#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vesk {
namespace pc {

// One bzip2 stream (block size 9, work factor 0) written to an open file.
// The input is cut where a block of the stream would be full or after a few
// MiB, the blocks are compressed on helper threads while more input comes,
// and their bits are joined in order into a single stream with the combined
// CRC, as any bzip2 reader expects.
class Bz2StreamWriter
{
public:
    explicit Bz2StreamWriter(FILE* file);
    ~Bz2StreamWriter();
    Bz2StreamWriter(const Bz2StreamWriter&) = delete;
    Bz2StreamWriter& operator=(const Bz2StreamWriter&) = delete;

    // False once compressing or writing has failed.
    bool write(const void* data, int size);
    // Compresses the rest and ends the stream; a bzip2 result code
    // (BZ_OK, or the first failure).
    int finish();

private:
    struct Block;
    class BitWriter;

    void cutBlock();
    void compressBlocks();
    bool writeFinishedBlocks(bool wait);
    void stopHelpers();

    FILE* file_;
    std::unique_ptr<BitWriter> bits_;
    uint32_t combinedCrc_ = 0;
    int error_ = 0;  // the first failure; guarded by mutex_ once helpers run

    std::vector<char> piece_;
    int64_t rleSize_ = 0;  // size of piece_ after bzip2's first run-length stage
    int runByte_ = -1;
    int runLength_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Block>> blocks_;  // in stream order, until written
    std::deque<std::shared_ptr<Block>> jobs_;
    int64_t pendingInput_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};

} // namespace pc
} // namespace vesk
