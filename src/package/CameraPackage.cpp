#include "package/CameraPackage.h"

#include "package/PackageIo.h"
#include "package/StoreFolder.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QIODevice>

namespace vesk {
namespace pc {

namespace {

constexpr qint64 kHeader = PackageIo::kHeaderSize;

qint64 headerRegion(qint64 moduleCount)
{
    return kHeader * (moduleCount + 1);
}

} // namespace

CameraPackage::CameraPackage(QIODevice* file, qint64 base, qint64 length)
    : file_(file)
    , base_(base)
    , length_(length)
{
    clear();
}

void CameraPackage::clear()
{
    std::memset(&header_, 0, sizeof(header_));
    modules_.clear();
    verified_ = false;
}

bool CameraPackage::checkLayout() const
{
    // The header region, the MD5 range and the modules all stay inside the
    // module that holds the camera package.
    const qint64 start = header_.md5Start;
    const qint64 end = header_.md5End;
    return headerRegion(header_.moduleCount) <= start && start <= end && end <= length_;
}

bool CameraPackage::readModule(int index, UgCamMdlInfoHeader* module) const
{
    PackageIo::readHeader(file_, base_ + kHeader * (index + 1), module);
    if (!PackageIo::headerCrcMatches(*module))
        return false;
    const PackageIo::Range data{module->offset, module->length};
    if (!PackageIo::inside(data, header_.md5Start, header_.md5End)) {
        qCritical() << "Package header error";
        return false;
    }
    QByteArray md5;
    PackageIo::md5OfRange(file_, {base_ + data.offset, data.length}, &md5);
    const QByteArray stored = PackageIo::digestOf(module->md5);
    if (md5 != stored) {
        qCritical() << "Md5 check failed:" << md5 << " vs" << stored;
        return false;
    }
    return true;
}

bool CameraPackage::verifyFirmware()
{
    if (!file_ || !file_->isOpen()) {
        qCritical() << "There is no camera package in upgrade package";
        return false;
    }
    PackageIo::readHeader(file_, base_, &header_);
    if (!PackageIo::headerCrcMatches(header_))
        return false;
    if (header_.magic != kMagic || length_ < kHeader || !checkLayout()) {
        qCritical() << "Package header error";
        return false;
    }
    QByteArray md5;
    PackageIo::md5OfRange(file_, {base_ + header_.md5Start, qint64(header_.md5End) - header_.md5Start},
                          &md5);
    const QByteArray stored = PackageIo::digestOf(header_.md5);
    if (md5 != stored) {
        qCritical() << "Md5 check failed:" << md5 << " vs" << stored;
        return false;
    }
    modules_.clear();
    QVector<PackageIo::Range> ranges;
    for (uint32_t i = 0; i < header_.moduleCount; ++i) {
        UgCamMdlInfoHeader module;
        if (!readModule(int(i), &module))
            return false;
        modules_.append(module);
        ranges.append({module.offset, module.length});
    }
    if (!PackageIo::disjoint(ranges)) {
        qCritical() << "Package header error: camera modules overlap";
        return false;
    }
    qDebug() << "camera firmware verify successfully";
    verified_ = true;
    return true;
}

bool CameraPackage::selectModules(QList<CAM_MDL_ID>& ids, ModuleList* selected) const
{
    if (!verified_ || !file_ || !file_->isOpen()) {
        qCritical() << "Please open package firmware and verify first";
        return false;
    }
    if (!ids.contains(CamMdlBase))
        ids.append(CamMdlBase);
    for (const CAM_MDL_ID id : qAsConst(ids)) {
        const int before = selected->size();
        for (const UgCamMdlInfoHeader& module : modules_) {
            if (module.id == id)
                selected->append(module);
        }
        if (selected->size() == before) {
            qCritical() << "Cannot find module with packet id =" << uint32_t(id);
            return false;
        }
    }
    return true;
}

bool CameraPackage::writeSelected(QIODevice* out, const ModuleList& selected) const
{
    // The header region goes out first with a blank package header, which is
    // rewritten once the data have been read and hashed; each module's data
    // are checked again on the way, in case the file changed since verifying.
    const qint64 start = out->pos();
    UgCamPkgInfoHeader header = header_;
    const qint64 region = headerRegion(selected.size());
    ModuleList moved = selected;
    qint64 running = region;
    for (UgCamMdlInfoHeader& module : moved) {
        module.offset = static_cast<uint32_t>(running);
        PackageIo::seal(&module);
        running += module.length;
        if (running > UINT32_MAX) {
            qCritical() << "Camera package too large:" << running;
            return false;
        }
    }
    UgCamPkgInfoHeader blank;
    std::memset(&blank, 0, sizeof(blank));
    bool ok = PackageIo::writeHeader(out, blank);
    for (int i = 0; ok && i < moved.size(); ++i)
        ok = PackageIo::writeHeader(out, moved[i]);
    QCryptographicHash all(QCryptographicHash::Md5);
    for (int i = 0; ok && i < selected.size(); ++i) {
        QCryptographicHash one(QCryptographicHash::Md5);
        const PackageIo::Range data{base_ + selected[i].offset, selected[i].length};
        ok = PackageIo::copyRange(file_, data, out, PackageIo::kCopyChunk,
                                  [&](const char* bytes, qint64 size) {
                                      all.addData(bytes, int(size));
                                      one.addData(bytes, int(size));
                                  });
        if (ok && one.result() != PackageIo::digestOf(selected[i].md5)) {
            qCritical() << "Md5 check failed:" << one.result() << " vs"
                        << PackageIo::digestOf(selected[i].md5);
            ok = false;
        }
    }
    if (!ok)
        return false;
    header.moduleCount = static_cast<uint32_t>(selected.size());
    header.md5Start = static_cast<uint32_t>(region);
    header.md5End = static_cast<uint32_t>(running);
    PackageIo::setDigest(header.md5, all.result());
    PackageIo::seal(&header);
    return out->seek(start) && PackageIo::writeHeader(out, header) && out->seek(start + running);
}

bool CameraPackage::writeCameraModule(QIODevice* out, QList<CAM_MDL_ID>& ids)
{
    ModuleList selected;
    return selectModules(ids, &selected) && writeSelected(out, selected);
}

bool CameraPackage::generateCameraModule(const QString& outPath, QList<CAM_MDL_ID>& ids,
                                         DevPlatformType platform)
{
    Q_UNUSED(platform)
    ModuleList selected;
    if (!selectModules(ids, &selected))
        return false;
    StoreFolder::NewFile out(outPath);
    if (!out.create()) {
        qCritical() << "Open file failed:" << outPath;
        return false;
    }
    return writeSelected(&out, selected) && out.commit();
}

} // namespace pc
} // namespace vesk
