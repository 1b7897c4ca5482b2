#include "package/LargeBuffer.h"

#include <QFile>

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace vesk {
namespace pc {

namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;

// Advises the whole huge pages inside [memory, memory + size); a system
// without them ignores the advice.
void adviseHugePages(void* memory, size_t size)
{
    const uintptr_t begin = (uintptr_t(memory) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (uintptr_t(memory) + size) & ~(kHugePage - 1);
    if (begin < end)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
#else
void adviseHugePages(void*, size_t)
{
}
#endif

} // namespace

void* LargeBuffer::allocate(size_t size)
{
    void* memory = std::malloc(size);
    if (memory && size >= kHugeMinimum)
        adviseHugePages(memory, size);
    return memory;
}

void LargeBuffer::release(void* memory)
{
    std::free(memory);
}

bool LargeBuffer::reset(size_t size, Pages pages)
{
    data_.reset();
    size_ = 0;
    if (size == 0)
        return true;
    data_.reset(static_cast<uint8_t*>(pages == Pages::Huge ? allocate(size) : std::malloc(size)));
    if (!data_)
        return false;
    size_ = size;
    return true;
}

LargeBuffer::Read LargeBuffer::readFile(const QString& path, int64_t maxSize, LargeBuffer* buffer,
                                        QString* error, Pages pages)
{
    buffer->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return Read::OpenFailed;
    }
    return read(&file, maxSize, buffer, error, pages);
}

LargeBuffer::Read LargeBuffer::read(QFile* file, int64_t maxSize, LargeBuffer* buffer, QString* error,
                                    Pages pages)
{
    buffer->clear();
    const int64_t size = file->size();
    if (size > maxSize)
        return Read::TooLarge;
    if (!buffer->reset(size_t(size), pages)) {
        if (error)
            *error = QStringLiteral("out of memory");
        return Read::ReadFailed;
    }
    int64_t done = 0;
    while (done < size) {
        const int64_t got = file->read(reinterpret_cast<char*>(buffer->data()) + done, size - done);
        if (got <= 0)
            break;
        done += got;
    }
    if (done != size) {
        if (error)
            *error = file->errorString();
        buffer->clear();
        return Read::ReadFailed;
    }
    return Read::Ok;
}

} // namespace pc
} // namespace vesk
