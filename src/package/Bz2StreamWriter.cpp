#include "package/Bz2StreamWriter.h"

#include <bzlib.h>

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

// A block holds at most 100000 x 9 - 19 bytes after the first run-length
// stage. Pieces get half that: data that compresses slowly (new code in a
// patch) then spreads over more helpers, and a patch grows by no more than
// the extra block tables.
constexpr int64_t kBlockBudget = 449981 - 16;
// Input that compresses well (long runs) is cut into pieces of at most this
// many bytes too, so that its blocks are compressed while the rest is
// still being produced instead of in one long block at the end.
constexpr int64_t kMaxPieceInput = 2 << 20;
constexpr int64_t kMaxPendingInput = 16 << 20;
constexpr int kMaxHelpers = 8;
constexpr uint64_t kBlockMagic = 0x314159265359ull;
constexpr uint64_t kEndMagic = 0x177245385090ull;

// Bytes a run of equal bytes takes after the first run-length stage.
int64_t runCost(int length)
{
    return length < 4 ? length : 5;
}

// How many of the n bytes at p equal byte before the first that does not,
// eight at a time (the lowest set bit of a difference is its first byte on
// little-endian hosts).
int leadingRun(const uint8_t* p, int n, uint8_t byte)
{
    const uint64_t pattern = 0x0101010101010101ull * byte;
    int i = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word != pattern)
            return i + __builtin_ctzll(word ^ pattern) / 8;
    }
#endif
    while (i < n && p[i] == byte)
        ++i;
    return i;
}

uint64_t readBits(const uint8_t* data, int64_t bit, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i, ++bit)
        value = value << 1 | ((data[bit >> 3] >> (7 - (bit & 7))) & 1);
    return value;
}

} // namespace

struct Bz2StreamWriter::Block
{
    std::vector<char> input;
    std::vector<char> output;
    int result = BZ_OK;
    bool done = false;
};

// Big-endian bit packing into the file.
class Bz2StreamWriter::BitWriter
{
public:
    explicit BitWriter(FILE* file)
        : file_(file)
    {
    }

    void put(uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            current_ = uint8_t(current_ << 1 | ((value >> i) & 1));
            if (++filled_ == 8)
                pushByte();
        }
    }
    void append(const uint8_t* data, int64_t firstBit, int64_t count)
    {
        const int shift = int(firstBit & 7);
        const uint8_t* at = data + (firstBit >> 3);
        for (; count >= 8; count -= 8, ++at) {
            const uint8_t byte = shift ? uint8_t(at[0] << shift | at[1] >> (8 - shift)) : at[0];
            if (filled_ == 0) {
                current_ = byte;
                pushByte();
            } else {
                put(byte, 8);
            }
        }
        put(readBits(at, shift, int(count)), int(count));
    }
    // Pads the last byte with zero bits and writes everything out.
    bool close()
    {
        if (filled_ > 0)
            put(0, 8 - filled_);
        return flush();
    }
    bool flush()
    {
        const bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
        buffer_.clear();
        return ok;
    }
    size_t buffered() const { return buffer_.size(); }

private:
    void pushByte()
    {
        buffer_.push_back(current_);
        current_ = 0;
        filled_ = 0;
    }

    FILE* file_;
    std::vector<uint8_t> buffer_;
    uint8_t current_ = 0;
    int filled_ = 0;
};

Bz2StreamWriter::Bz2StreamWriter(FILE* file)
    : file_(file), bits_(new BitWriter(file))
{
    bits_->put('B', 8);
    bits_->put('Z', 8);
    bits_->put('h', 8);
    bits_->put('9', 8);
    const int helpers = int(std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()),
                                               kMaxHelpers));
    for (int i = 0; i < helpers; ++i) {
        try {
            helpers_.emplace_back([this] { compressBlocks(); });
        } catch (const std::system_error&) {
            break;
        }
    }
    if (helpers_.empty())
        error_ = BZ_CONFIG_ERROR;
}

Bz2StreamWriter::~Bz2StreamWriter()
{
    stopHelpers();
}

void Bz2StreamWriter::stopHelpers()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
    helpers_.clear();
}

bool Bz2StreamWriter::write(const void* data, int size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    int start = 0;
    for (int i = 0; i < size && error_ == BZ_OK; ++i) {
        if (bytes[i] == runByte_ && runLength_ < 255) {
            const int run = leadingRun(bytes + i, std::min(size - i, 255 - runLength_),
                                       uint8_t(runByte_));
            runLength_ += run;
            i += run - 1;
            continue;
        }
        rleSize_ += runCost(runLength_);
        runByte_ = bytes[i];
        runLength_ = 1;
        if (rleSize_ + 5 > kBlockBudget ||
            int64_t(piece_.size()) + (i - start) >= kMaxPieceInput) {
            piece_.insert(piece_.end(), bytes + start, bytes + i);
            start = i;
            cutBlock();
            rleSize_ = 0;
        }
    }
    piece_.insert(piece_.end(), bytes + start, bytes + size);
    return error_ == BZ_OK;
}

// Queues piece_ as one block, waiting while too much input is pending.
void Bz2StreamWriter::cutBlock()
{
    if (piece_.empty() || error_ != BZ_OK)
        return;
    auto block = std::make_shared<Block>();
    block->input.swap(piece_);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        pendingInput_ += int64_t(block->input.size());
        blocks_.push_back(block);
        jobs_.push_back(block);
    }
    changed_.notify_all();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pendingInput_ <= kMaxPendingInput; });
    lock.unlock();
    writeFinishedBlocks(false);
}

void Bz2StreamWriter::compressBlocks()
{
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty())
            return;
        std::shared_ptr<Block> block = jobs_.front();
        jobs_.pop_front();
        lock.unlock();

        std::vector<char>& in = block->input;
        std::vector<char> out(in.size() + in.size() / 100 + 600);  // bzip2's bound
        unsigned int length = unsigned(out.size());
        const int result = BZ2_bzBuffToBuffCompress(out.data(), &length, in.data(),
                                                    unsigned(in.size()), 9, 0, 0);
        out.resize(result == BZ_OK ? length : 0);

        lock.lock();
        pendingInput_ -= int64_t(in.size());
        std::vector<char>().swap(in);
        block->output.swap(out);
        block->result = result;
        block->done = true;
        lock.unlock();
        changed_.notify_all();
    }
}

// Moves the finished blocks at the front into the stream: each piece was
// compressed as a stream of one block, whose bits lie between the 4-byte
// stream header and the 80-bit end (end magic and CRC) before the padding.
bool Bz2StreamWriter::writeFinishedBlocks(bool wait)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!blocks_.empty() && error_ == BZ_OK) {
        if (!blocks_.front()->done) {
            if (!wait)
                break;
            changed_.wait(lock, [this] { return blocks_.front()->done; });
        }
        std::shared_ptr<Block> block = blocks_.front();
        blocks_.pop_front();
        lock.unlock();
        const auto* out = reinterpret_cast<const uint8_t*>(block->output.data());
        const int64_t size = int64_t(block->output.size());
        int64_t end = -1;
        if (block->result == BZ_OK && size >= 24 && std::memcmp(out, "BZh9", 4) == 0 &&
            readBits(out, 32, 48) == kBlockMagic) {
            const uint64_t crc = readBits(out, 80, 32);
            for (int pad = 0; pad < 8 && end < 0; ++pad) {
                const int64_t bits = size * 8 - pad;
                if (readBits(out, bits - 80, 48) == kEndMagic && readBits(out, bits - 32, 32) == crc)
                    end = bits - 80;
            }
            if (end > 0) {
                bits_->append(out, 32, end - 32);
                combinedCrc_ = ((combinedCrc_ << 1) | (combinedCrc_ >> 31)) ^ uint32_t(crc);
            }
        }
        if (end < 0)
            error_ = block->result != BZ_OK ? block->result : BZ_DATA_ERROR;
        else if (bits_->buffered() >= (1u << 20) && !bits_->flush())
            error_ = BZ_IO_ERROR;
        lock.lock();
    }
    return error_ == BZ_OK;
}

int Bz2StreamWriter::finish()
{
    cutBlock();
    writeFinishedBlocks(true);
    stopHelpers();
    if (error_ != BZ_OK)
        return error_;
    bits_->put(kEndMagic, 48);
    bits_->put(combinedCrc_, 32);
    if (!bits_->close() || std::fflush(file_) != 0)
        error_ = BZ_IO_ERROR;
    return error_;
}

} // namespace pc
} // namespace vesk
