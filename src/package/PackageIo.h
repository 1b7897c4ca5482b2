#pragma once

#include "comm/Util.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <cstdint>
#include <cstring>
#include <functional>

class QIODevice;

// Headers are read and written as the host's structs.
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
#error "firmware package headers are little-endian"
#endif

namespace vesk {
namespace pc {

// The byte-level work shared by the package classes: 256-byte headers with
// their trailing CRC, checked ranges, and streamed copies with checksums.
// Every position and length is 64-bit so that values read from a file
// cannot wrap.
class PackageIo
{
public:
    PackageIo() = delete;

    static constexpr qint64 kHeaderSize = 256;
    static constexpr uint32_t kCrcSpan = 252;  // a header's CRC covers bytes 0..251
    static constexpr qint64 kCopyChunk = 2048;

    using Sink = std::function<void(const char* data, qint64 size)>;

    // One [offset, offset + length) range of a file.
    struct Range
    {
        qint64 offset = 0;
        qint64 length = 0;
    };

    // Reads a header at pos; a short read leaves the rest zero and gives false.
    template <typename Header>
    static bool readHeader(QIODevice* device, qint64 pos, Header* header)
    {
        static_assert(sizeof(Header) == kHeaderSize, "headers are 256 bytes");
        std::memset(header, 0, sizeof(Header));
        return readBlock(device, pos, header, kHeaderSize) == kHeaderSize;
    }

    template <typename Header>
    static uint32_t headerCrc(const Header& header)
    {
        return Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(&header), kCrcSpan);
    }

    // Compares a header's CRC with its bytes; a mismatch is logged.
    template <typename Header>
    static bool headerCrcMatches(const Header& header)
    {
        const uint32_t crc = headerCrc(header);
        if (crc == header.crc32)
            return true;
        logCrcMismatch(header.crc32, crc);
        return false;
    }

    template <typename Header>
    static void seal(Header* header)
    {
        header->crc32 = headerCrc(*header);
    }

    template <typename Header>
    static bool writeHeader(QIODevice* out, const Header& header)
    {
        return writeAll(out, reinterpret_cast<const char*>(&header), kHeaderSize);
    }

    // Reads at most size bytes at pos into block; returns the count read.
    static qint64 readBlock(QIODevice* device, qint64 pos, void* block, qint64 size);
    static void logCrcMismatch(uint32_t stored, uint32_t computed);
    static bool writeAll(QIODevice* out, const char* data, qint64 size);

    // Hands the range to sink in pieces of at most chunk bytes; false when
    // the range could not be read whole.
    static bool forEachChunk(QIODevice* device, const Range& range, qint64 chunk, const Sink& sink);
    // Copies the range to out, also handing every piece to sink when given.
    static bool copyRange(QIODevice* in, const Range& range, QIODevice* out, qint64 chunk,
                          const Sink& sink = Sink());

    // Checksums of a range; a range of length 0 gives the checksum of no bytes.
    static bool crc32OfRange(QIODevice* device, const Range& range, uint32_t* crc);
    static bool md5OfRange(QIODevice* device, const Range& range, QByteArray* digest);

    // Text of a NUL-terminated field, never read beyond the field.
    static QString fieldText(const char* field, int width);
    static QByteArray digestOf(const uint8_t* field);  // 16-byte digest field
    static void setDigest(uint8_t* field, const QByteArray& digest);

    // The file name (after the last "/") begins with prefix and the whole
    // path holds the dotted version; logs the failing check.
    static bool checkPackageName(const QString& path, const QString& prefix, uint32_t version);

    static bool inside(const Range& range, qint64 begin, qint64 end);
    // True when no two non-empty ranges share a byte.
    static bool disjoint(QVector<Range> ranges);
    // A plain file name that stays inside the folder it is joined to.
    static bool isSafeBaseName(const QString& name);
};

} // namespace pc
} // namespace vesk
