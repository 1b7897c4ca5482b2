#include "package/FirmwarePackage.h"

#include "package/FirmwareStore.h"
#include "package/PackageIo.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

constexpr qint64 kHeader = PackageIo::kHeaderSize;

// Build channels in the order of their numbers.
const char* const kChannelNames[] = {"release", "test", "debug"};

} // namespace

FirmwarePackage::FirmwarePackage(const QString& path, PKG_TYPE type)
    : folder_(StoreFolder::folderOf(path))
    , path_(path)
    , type_(type)
    , file_(new QFile)
{
    std::memset(&header_, 0, sizeof(header_));
    // A file that cannot be opened (a link, say) fails verification later.
    folder_.open(StoreFolder::nameOf(path), file_.data());
}

FirmwarePackage::FirmwarePackage(const StoreFolder& folder, const QString& name, PKG_TYPE type)
    : folder_(folder)
    , path_(folder.dir() + name)
    , type_(type)
    , file_(new QFile)
{
    std::memset(&header_, 0, sizeof(header_));
    folder_.open(name, file_.data());
}

FirmwarePackage::~FirmwarePackage()
{
    camera_.reset();  // reads through file_, so goes first
}

int FirmwarePackage::getDeviceType() const
{
    const QString channel = PackageIo::fieldText(header_.deviceType, sizeof(header_.deviceType));
    for (int i = 0; i < int(sizeof(kChannelNames) / sizeof(kChannelNames[0])); ++i) {
        if (channel == QLatin1String(kChannelNames[i]))
            return i;
    }
    return 3;
}

QString FirmwarePackage::productKey() const
{
    return PackageIo::fieldText(header_.product, sizeof(header_.product)) + QLatin1Char('_')
        + PackageIo::fieldText(header_.branch, sizeof(header_.branch)) + QLatin1Char('_')
        + PackageIo::fieldText(header_.platform, sizeof(header_.platform)) + QLatin1Char('_');
}

bool FirmwarePackage::suitsSocVersion(int cameraSocVersion, bool wholeIdentity) const
{
    const int made = header_.socVersion;
    if (made == 0 || made == cameraSocVersion || (!wholeIdentity && cameraSocVersion == 0))
        return true;
    qCritical() << "firmware soc version mismatch" << made << cameraSocVersion;
    return false;
}

bool FirmwarePackage::checkName() const
{
    QString prefix = productKey().chopped(1);
    if (type_ == PkgUgsys)
        prefix = FirmwareStore::companionName(prefix);
    if (type_ == PkgMain)
        qDebug() << path_;
    return PackageIo::checkPackageName(path_, prefix, header_.version);
}

bool FirmwarePackage::checkLayout(qint64 fileSize) const
{
    // The module headers lie inside the header region, which lies inside the
    // file; counts that cannot fit are refused before anything is read.
    const qint64 region = kHeader * (qint64(header_.moduleCount) + 1);
    return header_.magic == kMagic && qint64(header_.totalSize) == fileSize
        && region <= header_.headerLength && header_.headerLength <= header_.totalSize;
}

bool FirmwarePackage::readModule(uint32_t index, qint64 fileSize, UgMdlPkgInfoHeader* module) const
{
    PackageIo::readHeader(file_.data(), kHeader * (qint64(index) + 1), module);
    if (!PackageIo::headerCrcMatches(*module))
        return false;
    const PackageIo::Range data{module->offset, module->length};
    if (!PackageIo::inside(data, header_.headerLength, fileSize)) {
        qCritical() << "Package header error";
        return false;
    }
    uint32_t crc = 0;
    PackageIo::crc32OfRange(file_.data(), data, &crc);
    if (crc != module->dataCrc32) {
        PackageIo::logCrcMismatch(module->dataCrc32, crc);
        return false;
    }
    return true;
}

bool FirmwarePackage::readModules(qint64 fileSize)
{
    modules_.clear();
    camera_.reset();
    cameraIndex_ = -1;
    QVector<PackageIo::Range> ranges;
    for (uint32_t i = 0; i < header_.moduleCount; ++i) {
        UgMdlPkgInfoHeader module;
        if (!readModule(i, fileSize, &module))
            return false;
        modules_.append(module);
        ranges.append({module.offset, module.length});
        if (module.type == DevCameraPackage)
            cameraIndex_ = int(i);  // the last one counts
    }
    if (!PackageIo::disjoint(ranges)) {
        qCritical() << "Package header error: modules overlap";
        return false;
    }
    if (cameraIndex_ >= 0) {
        const UgMdlPkgInfoHeader& module = modules_.at(cameraIndex_);
        camera_.reset(new CameraPackage(file_.data(), module.offset, module.length));
    }
    return true;
}

bool FirmwarePackage::verifyFirmware()
{
    PackageIo::readHeader(file_.data(), 0, &header_);
    if (!checkName())
        return false;
    if (!PackageIo::headerCrcMatches(header_))
        return false;
    const qint64 fileSize = file_->isOpen() ? file_->size() : -1;
    if (!checkLayout(fileSize)) {
        qCritical() << "Package header error";
        return false;
    }
    QByteArray md5;
    PackageIo::md5OfRange(file_.data(), {header_.headerLength, fileSize - header_.headerLength}, &md5);
    const QByteArray stored = PackageIo::digestOf(header_.md5);
    if (md5 != stored) {
        qCritical() << "Md5 check failed:" << md5 << " vs" << stored;
        return false;
    }
    if (!readModules(fileSize))
        return false;
    if (camera_ && !camera_->verifyFirmware())
        return false;
    verified_ = true;
    return true;
}

} // namespace pc
} // namespace vesk
