#include "package/FirmwarePackage.h"

#include "package/PackageIo.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

constexpr qint64 kHeader = PackageIo::kHeaderSize;
constexpr qint64 kBundleChunk = 0x100000;

using Header = FirmwarePackage::UgFwPkgHeader;

QString textOf(const char* field)
{
    return PackageIo::fieldText(field, 16);
}

// Checks the package header found at pos of a bundle of size bytes.
bool checkBundleEntry(const Header& header, qint64 pos, qint64 size, const QString& path)
{
    const uint32_t crc = PackageIo::headerCrc(header);
    if (crc != header.crc32) {
        qWarning() << "crc32 check failed for package header:" << header.crc32 << " vs" << crc;
        return false;
    }
    // Every entry is at least a header long, so the scan always moves on.
    if (header.magic != FirmwarePackage::kMagic || header.totalSize < kHeader
        || pos + header.totalSize > size) {
        qWarning() << "Package header error or size error";
        return false;
    }
    const QString prefix = textOf(header.product) + QLatin1Char('_') + textOf(header.branch)
        + QStringLiteral("_All");
    return PackageIo::checkPackageName(path, prefix, header.version);
}

// Finds the package of the platform; its position, or -1 when there is none
// or the bundle is damaged.
qint64 findPlatform(QFile* in, const QString& path, const QString& platform, Header* found)
{
    const qint64 size = in->size();
    qint64 pos = 0;
    while (pos < size) {
        if (!in->seek(pos)) {
            qWarning() << "seek error";
            return -1;
        }
        if (!PackageIo::readHeader(in, pos, found)) {
            qWarning() << "read error";
            return -1;
        }
        if (!checkBundleEntry(*found, pos, size, path))
            return -1;
        if (textOf(found->platform) == platform)
            return pos;
        pos += found->totalSize;
    }
    return -1;
}

} // namespace

QString FirmwarePackage::extractFirmware(const QString& file, const QString& platform,
                                         const StoreFolder& dir)
{
    if (!QFile::exists(file)) {
        qWarning() << "File does not exist:" << file;
        return QString();
    }
    // The platform becomes part of the output name.
    if (!PackageIo::isSafeBaseName(platform)) {
        qWarning() << "Platform invalid:" << platform;
        return QString();
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning() << "Open file failed:" << file;
        return QString();
    }
    // A package of one platform is taken whole; it replaces a file of its
    // name, as a cut-out one does.
    const QString name = StoreFolder::nameOf(file);
    const bool whole = name.contains(platform);
    Header header;
    const qint64 pos = whole ? 0 : findPlatform(&in, file, platform, &header);
    if (pos < 0)
        return QString();
    const qint64 size = whole ? in.size() : qint64(header.totalSize);
    StoreFolder::NewFile out(dir, whole ? name : QString(name).replace(QStringLiteral("All"), platform));
    if (!out.create()) {
        qDebug() << "Open output file failed:" << out.path();
        return QString();
    }
    if (!PackageIo::copyRange(&in, {pos, size}, &out, kBundleChunk) || !out.commit()) {
        qWarning() << "write file failed:" << out.path() << out.errorString();
        return QString();
    }
    return out.path();
}

} // namespace pc
} // namespace vesk
