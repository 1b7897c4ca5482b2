#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class QFile;

namespace vesk {
namespace pc {

// Memory for data of many MiB that is filled once: whole images, packages
// and the diff's index. Where the system offers huge pages for the asking,
// it asks for them, so that filling 32 MiB costs a few dozen page faults
// rather than eight thousand; elsewhere it is plain malloc memory.
class LargeBuffer
{
public:
    // Below this, memory is asked for as it is.
    static constexpr size_t kHugeMinimum = size_t(4) << 20;

    enum class Read { Ok, OpenFailed, TooLarge, ReadFailed };
    // Huge: the advice above. Plain: none, for data read once in one pass,
    // which gains nothing from huge pages and must not wait for the system
    // to gather one (a huge page fault may compact memory first).
    enum class Pages { Huge, Plain };

    LargeBuffer() = default;

    // malloc and free with the advice above, for C interfaces that take an
    // allocator; release takes what allocate gave.
    static void* allocate(size_t size);
    static void release(void* memory);

    // Reads path whole into *buffer when it holds at most maxSize bytes;
    // *error (when given) receives the system's text on a failure. For files
    // outside the store: a store file is opened through StoreFolder and
    // handed to read().
    static Read readFile(const QString& path, int64_t maxSize, LargeBuffer* buffer,
                         QString* error = nullptr, Pages pages = Pages::Huge);
    // The same for a file already open for reading.
    static Read read(QFile* file, int64_t maxSize, LargeBuffer* buffer, QString* error = nullptr,
                     Pages pages = Pages::Huge);

    // size bytes of unset memory; false when there is none.
    bool reset(size_t size, Pages pages = Pages::Huge);
    void clear() { reset(0); }

    const uint8_t* data() const { return data_.get(); }
    uint8_t* data() { return data_.get(); }
    int64_t size() const { return int64_t(size_); }

private:
    struct Release
    {
        void operator()(uint8_t* memory) const { LargeBuffer::release(memory); }
    };

    std::unique_ptr<uint8_t, Release> data_;
    size_t size_ = 0;
};

} // namespace pc
} // namespace vesk
