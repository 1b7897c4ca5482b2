#include "package/PackageIo.h"

#include "package/StoreFolder.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QIODevice>

#include <algorithm>

namespace vesk {
namespace pc {

qint64 PackageIo::readBlock(QIODevice* device, qint64 pos, void* block, qint64 size)
{
    if (!device || !device->isOpen() || pos < 0 || !device->seek(pos))
        return 0;
    char* dst = static_cast<char*>(block);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = device->read(dst + done, size - done);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

void PackageIo::logCrcMismatch(uint32_t stored, uint32_t computed)
{
    qCritical() << "crc32 check failed for package header:" << stored << " vs" << computed;
}

bool PackageIo::writeAll(QIODevice* out, const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 put = out->write(data + done, size - done);
        if (put <= 0) {
            qCritical() << "Write failed:" << out->errorString();
            return false;
        }
        done += put;
    }
    return true;
}

bool PackageIo::forEachChunk(QIODevice* device, const Range& range, qint64 chunk,
                             const Sink& sink)
{
    if (range.length == 0)
        return true;
    if (!device || !device->isOpen() || range.offset < 0 || range.length < 0)
        return false;
    QByteArray buffer(static_cast<int>(chunk), Qt::Uninitialized);
    qint64 remaining = range.length;
    while (remaining > 0) {
        const qint64 wanted = qMin(remaining, chunk);
        const qint64 got = readBlock(device, range.offset + (range.length - remaining),
                                     buffer.data(), wanted);
        if (got != wanted) {
            qWarning() << "Short read at" << range.offset + (range.length - remaining) << "wanted"
                       << wanted << "got" << got;
            return false;
        }
        sink(buffer.constData(), got);
        remaining -= got;
    }
    return true;
}

bool PackageIo::copyRange(QIODevice* in, const Range& range, QIODevice* out, qint64 chunk,
                          const Sink& sink)
{
    bool written = true;
    const bool read = forEachChunk(in, range, chunk, [&](const char* data, qint64 size) {
        if (!written)
            return;
        written = writeAll(out, data, size);
        if (sink)
            sink(data, size);
    });
    return read && written;
}

bool PackageIo::crc32OfRange(QIODevice* device, const Range& range, uint32_t* crc)
{
    uint32_t state = Util::crc32Init();
    const bool whole = forEachChunk(device, range, kCopyChunk, [&state](const char* data, qint64 size) {
        state = Util::crc32Update(reinterpret_cast<const uint8_t*>(data),
                                  static_cast<uint32_t>(size), state);
    });
    *crc = Util::crc32Final(state);
    return whole;
}

bool PackageIo::md5OfRange(QIODevice* device, const Range& range, QByteArray* digest)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const bool whole = forEachChunk(device, range, kCopyChunk, [&hash](const char* data, qint64 size) {
        hash.addData(data, static_cast<int>(size));
    });
    *digest = hash.result();
    return whole;
}

QString PackageIo::fieldText(const char* field, int width)
{
    const char* end = static_cast<const char*>(std::memchr(field, '\0', width));
    return QString::fromLatin1(field, end ? int(end - field) : width);
}

QByteArray PackageIo::digestOf(const uint8_t* field)
{
    return QByteArray(reinterpret_cast<const char*>(field), 16);
}

void PackageIo::setDigest(uint8_t* field, const QByteArray& digest)
{
    std::memset(field, 0, 16);
    std::memcpy(field, digest.constData(), static_cast<size_t>(qMin(digest.size(), 16)));
}

bool PackageIo::checkPackageName(const QString& path, const QString& prefix, uint32_t version)
{
    const QString name = StoreFolder::nameOf(path);
    if (!name.startsWith(prefix)) {
        qCritical() << "File name invalid:" << name;
        return false;
    }
    const QString text = Util::verUintToStr(version);
    if (!path.contains(text)) {
        qCritical() << "Version in file name:" << name;
        qCritical() << "Version in pkg header:" << text;
        return false;
    }
    return true;
}

bool PackageIo::inside(const Range& range, qint64 begin, qint64 end)
{
    return range.offset >= begin && range.length >= 0 && range.offset <= end
        && range.length <= end - range.offset;
}

bool PackageIo::disjoint(QVector<Range> ranges)
{
    ranges.erase(std::remove_if(ranges.begin(), ranges.end(),
                                [](const Range& r) { return r.length == 0; }),
                 ranges.end());
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.offset < b.offset; });
    for (int i = 1; i < ranges.size(); ++i) {
        if (ranges[i - 1].offset + ranges[i - 1].length > ranges[i].offset)
            return false;
    }
    return true;
}

bool PackageIo::isSafeBaseName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0));
}

} // namespace pc
} // namespace vesk
