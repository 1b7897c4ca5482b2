#include "sim/SimPatchList.h"

#include "comm/Util.h"
#include "package/UpgradePkgPatch.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr uint32_t kMagic = 0x74707362;  // "bspt"
constexpr qint64 kRecord = 64;
constexpr int kCrcAt = 60;

struct Entry
{
    qint64 patchOffset = 0;
    qint64 patchLength = 0;
    qint64 chunkOffset = 0;
    qint64 chunkLength = 0;
};

uint32_t u32At(const QByteArray& data, qint64 at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

// A 64-byte record whose CRC-32 of bytes 0..59 is stored at 60.
bool recordCrcHolds(const QByteArray& list, qint64 at)
{
    const auto* record = reinterpret_cast<const uint8_t*>(list.constData() + at);
    return Util::crc32ForBuf(record, kCrcAt) == u32At(list, at + kCrcAt);
}

bool headerHolds(const QByteArray& list, uint32_t* count)
{
    if (list.size() < kRecord || u32At(list, 0) != kMagic || !recordCrcHolds(list, 0)) {
        qWarning() << "Simulated patch tool: bad patch list header";
        return false;
    }
    *count = u32At(list, 12);
    if (u32At(list, 4) != kRecord * (qint64(*count) + 1) || u32At(list, 4) > uint32_t(list.size())
        || u32At(list, 8) != uint32_t(list.size())) {
        qWarning() << "Simulated patch tool: patch list lengths do not hold";
        return false;
    }
    return true;
}

// Entry k, checked against its CRC, its index, the list and the old image.
bool readEntry(const QByteArray& list, uint32_t k, qint64 oldSize, Entry* entry)
{
    const qint64 at = kRecord * (qint64(k) + 1);
    if (!recordCrcHolds(list, at) || u32At(list, at) != k) {
        qWarning() << "Simulated patch tool: bad entry" << k;
        return false;
    }
    *entry = {u32At(list, at + 4), u32At(list, at + 8), u32At(list, at + 12), u32At(list, at + 16)};
    const qint64 entriesEnd = u32At(list, 4);
    const bool fits = entry->patchOffset >= entriesEnd
        && entry->patchOffset + entry->patchLength <= list.size()
        && entry->chunkOffset + entry->chunkLength <= oldSize;
    if (!fits) {
        qWarning() << "Simulated patch tool: entry" << k << "out of bounds";
        return false;
    }
    const QByteArray patch = list.mid(int(entry->patchOffset), int(entry->patchLength));
    if (QCryptographicHash::hash(patch, QCryptographicHash::Md5) != list.mid(int(at + 20), 16)) {
        qWarning() << "Simulated patch tool: MD5 of entry" << k << "does not hold";
        return false;
    }
    return true;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// One chunk through the patch-file reader, which works on files.
bool patchChunk(const QByteArray& old, const QByteArray& patch, QByteArray* chunk)
{
    QTemporaryDir dir;
    const QString oldPath = dir.filePath(QStringLiteral("old"));
    const QString newPath = dir.filePath(QStringLiteral("new"));
    const QString patchPath = dir.filePath(QStringLiteral("patch"));
    if (!dir.isValid() || !writeFile(oldPath, old) || !writeFile(patchPath, patch)
        || UpgradePkgPatch::generateNewFile(oldPath, newPath, patchPath) != 0)
        return false;
    QFile result(newPath);
    if (!result.open(QIODevice::ReadOnly))
        return false;
    *chunk = result.readAll();
    return true;
}

} // namespace

bool SimPatchList::apply(const QByteArray& oldImage, const QByteArray& list, QByteArray* newImage)
{
    uint32_t count = 0;
    if (!headerHolds(list, &count))
        return false;
    QByteArray image;
    for (uint32_t k = 0; k < count; ++k) {
        Entry entry;
        if (!readEntry(list, k, oldImage.size(), &entry))
            return false;
        if (entry.chunkOffset != image.size()) {
            qWarning() << "Simulated patch tool: chunk" << k << "does not follow the one before";
            return false;
        }
        QByteArray chunk;
        if (!patchChunk(oldImage.mid(int(entry.chunkOffset), int(entry.chunkLength)),
                        list.mid(int(entry.patchOffset), int(entry.patchLength)), &chunk)
            || chunk.size() != entry.chunkLength) {
            qWarning() << "Simulated patch tool: patch of chunk" << k << "failed";
            return false;
        }
        image += chunk;
    }
    if (image.size() != oldImage.size()) {
        qWarning() << "Simulated patch tool: result of" << image.size() << "bytes for an image of"
                   << oldImage.size();
        return false;
    }
    *newImage = image;
    return true;
}

} // namespace pc
} // namespace vesk
