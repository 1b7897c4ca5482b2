#include "package/FirmwarePackage.h"

#include "package/FirmwareStore.h"
#include "package/PackageIo.h"
#include "package/StoreFolder.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

// One module of a package being written: its new header, and where its data
// come from (the package file, or the regenerated camera package).
struct FirmwarePackage::Planned
{
    UgMdlPkgInfoHeader header;
    qint64 sourceOffset;
    bool regenerated;
};

namespace {

constexpr qint64 kHeader = PackageIo::kHeaderSize;

const struct
{
    const char* platform;
    CameraPackage::CAM_MDL_ID updater;
} kUpdaterIds[] = {
    {"SSC336Q", CameraPackage::CamMdlSsUpdater},
    {"SSC339G", CameraPackage::CamMdlSsUpdater},
    {"Hi3516DV300", CameraPackage::CamMdlHisiUpdater},
    {"Hi3516CV500", CameraPackage::CamMdlHisiUpdater},
};

// The updater module id of a platform; false for platforms without one.
bool updaterIdFor(const QString& platform, CameraPackage::CAM_MDL_ID* id)
{
    for (const auto& row : kUpdaterIds) {
        if (platform == QLatin1String(row.platform)) {
            *id = row.updater;
            return true;
        }
    }
    return false;
}

// The output is renamed over its name only when written whole.
bool created(StoreFolder::NewFile* out, const char* failure)
{
    if (out->create())
        return true;
    qCritical() << failure << out->path();
    return false;
}

bool commitFile(StoreFolder::NewFile* out, bool written)
{
    if (!written) {
        out->cancelWriting();
        return false;
    }
    return out->commit();
}

bool notVerified()
{
    qCritical() << "Please verify firmware first by calling verifyFirmware()";
    return false;
}

} // namespace

bool FirmwarePackage::generateUgsysFwPackage()
{
    if (type_ == PkgUgsys) {
        qInfo() << "Current package is already used for ugsys";
        return true;
    }
    if (!verified_)
        return notVerified();
    QList<DEV_ID> types{DevCameraPackage};
    const QString platform = PackageIo::fieldText(header_.platform, sizeof(header_.platform));
    CameraPackage::CAM_MDL_ID updater = CameraPackage::CamMdlHisiUpdater;
    if (platform == QLatin1String("SSC336Q") || platform == QLatin1String("SSC339G"))
        updater = CameraPackage::CamMdlSsUpdater;
    QList<CameraPackage::CAM_MDL_ID> ids{CameraPackage::CamMdlBase, updater};
    const QString name = FirmwareStore::companionName(StoreFolder::nameOf(path_));
    const bool ok = derive(types, ids, folder_, name);
    if (!ok)
        qCritical() << "Generate package failed: " << folder_.dir() + name;
    return ok;
}

bool FirmwarePackage::planModules(const QList<DEV_ID>& types, qint64 cameraSize,
                                  QVector<Planned>* plan) const
{
    for (const DEV_ID type : types) {
        const int before = plan->size();
        for (int i = 0; i < modules_.size(); ++i) {
            if (modules_[i].type != type)
                continue;
            const bool regenerated = type == DevCameraPackage && cameraSize >= 0;
            Planned entry{modules_[i], modules_[i].offset, regenerated};
            if (regenerated)
                entry.header.length = static_cast<uint32_t>(cameraSize);
            plan->append(entry);
        }
        if (plan->size() == before) {
            qCritical() << "Cannot find module with device id =" << uint32_t(type);
            return false;
        }
    }
    qint64 running = kHeader * (plan->size() + 1);
    for (Planned& entry : *plan) {
        entry.header.offset = static_cast<uint32_t>(running);
        running += entry.header.length;
        if (running > UINT32_MAX) {
            qCritical() << "Package too large:" << running;
            return false;
        }
    }
    return true;
}

bool FirmwarePackage::writePackage(QIODevice* out, QVector<Planned>& plan,
                                   QIODevice* cameraData) const
{
    // The header region is written blank first and rewritten once the data
    // have been copied and hashed; copied modules are checked against their
    // stored CRC in case the file changed since verifying.
    const qint64 region = kHeader * (plan.size() + 1);
    bool ok = PackageIo::writeAll(out, QByteArray(int(region), '\0').constData(), region);
    QCryptographicHash all(QCryptographicHash::Md5);
    for (Planned& entry : plan) {
        if (!ok)
            break;
        QCryptographicHash one(QCryptographicHash::Md5);
        uint32_t crc = Util::crc32Init();
        QIODevice* source = entry.regenerated ? cameraData : file_.data();
        const qint64 from = entry.regenerated ? 0 : entry.sourceOffset;
        ok = PackageIo::copyRange(source, {from, entry.header.length}, out, PackageIo::kCopyChunk,
                                  [&](const char* data, qint64 size) {
                                      all.addData(data, int(size));
                                      one.addData(data, int(size));
                                      crc = Util::crc32Update(reinterpret_cast<const uint8_t*>(data),
                                                              uint32_t(size), crc);
                                  });
        crc = Util::crc32Final(crc);
        if (entry.regenerated) {
            entry.header.dataCrc32 = crc;
            PackageIo::setDigest(entry.header.dataMd5, one.result());
        } else if (ok && crc != entry.header.dataCrc32) {
            PackageIo::logCrcMismatch(entry.header.dataCrc32, crc);
            ok = false;
        }
        PackageIo::seal(&entry.header);
    }
    if (!ok)
        return false;
    UgFwPkgHeader header = header_;
    header.headerLength = static_cast<uint32_t>(region);
    header.moduleCount = static_cast<uint32_t>(plan.size());
    header.totalSize = static_cast<uint32_t>(out->pos());
    PackageIo::setDigest(header.md5, all.result());
    PackageIo::seal(&header);
    ok = out->seek(0) && PackageIo::writeHeader(out, header);
    for (int i = 0; ok && i < plan.size(); ++i)
        ok = PackageIo::writeHeader(out, plan[i].header);
    return ok;
}

bool FirmwarePackage::generateFwPackage(QList<DEV_ID>& types,
                                        QList<CameraPackage::CAM_MDL_ID>& cameraIds,
                                        QString& outPath)
{
    return derive(types, cameraIds, StoreFolder(StoreFolder::folderOf(outPath)), StoreFolder::nameOf(outPath));
}

bool FirmwarePackage::derive(QList<DEV_ID>& types, QList<CameraPackage::CAM_MDL_ID>& cameraIds,
                             const StoreFolder& folder, const QString& name)
{
    if (!verified_)
        return notVerified();
    // The reduced camera package goes to a temporary file of this writer's
    // own, never committed: removed when this call returns.
    StoreFolder::NewFile camera(folder, name);
    qint64 cameraSize = -1;
    if (!cameraIds.isEmpty() && types.contains(DevCameraPackage)) {
        if (!camera_ || !camera.create() || !camera_->writeCameraModule(&camera, cameraIds)) {
            qCritical() << "generateCameraModule camera package failed";
            return false;
        }
        cameraSize = camera.size();
        qDebug() << "Camera package size =" << cameraSize;
    }
    QVector<Planned> plan;
    if (!planModules(types, cameraSize, &plan))
        return false;
    StoreFolder::NewFile out(folder, name);
    return created(&out, "Open file failed:") && commitFile(&out, writePackage(&out, plan, &camera));
}

bool FirmwarePackage::buildPatchHead(QByteArray* head) const
{
    const uint32_t cameraStart = camera_->header().md5Start;
    qint64 size = header_.headerLength;
    for (int i = 0; i < modules_.size(); ++i)
        size += i == cameraIndex_ ? cameraStart : modules_[i].length;
    if (size > INT_MAX - 1) {
        qCritical() << "Patch head too large:" << size;
        return false;
    }
    head->fill('\0', int(size));
    if (PackageIo::readBlock(file_.data(), 0, head->data(), header_.headerLength)
        != header_.headerLength) {
        qCritical() << "read file failed" << path_ << file_->errorString();
        return false;
    }
    qint64 position = header_.headerLength;
    for (int i = 0; i < modules_.size(); ++i) {
        UgMdlPkgInfoHeader module = modules_[i];
        module.patchLength = i == cameraIndex_ ? cameraStart : module.length;
        module.patchOffset = static_cast<uint32_t>(position);
        if (PackageIo::readBlock(file_.data(), module.offset, head->data() + position,
                                 module.patchLength)
            != module.patchLength) {
            qCritical() << "read file failed" << path_ << file_->errorString();
            return false;
        }
        PackageIo::seal(&module);
        std::memcpy(head->data() + kHeader * (i + 1), &module, sizeof(module));
        position += module.patchLength;
    }
    return true;
}

bool FirmwarePackage::generateFwPatchHead(QString& outPath, QList<uint32_t>& splitPoints)
{
    if (!verified_)
        return notVerified();
    if (!camera_) {
        qCritical() << "camera fw does not exist";
        return false;
    }
    QByteArray head;
    if (!buildPatchHead(&head))
        return false;
    StoreFolder::NewFile out(outPath);
    if (!created(&out, "open file failed:")
        || !commitFile(&out, PackageIo::writeAll(&out, head.constData(), head.size())))
        return false;
    for (const CameraPackage::UgCamMdlInfoHeader& module : camera_->modules()) {
        if (module.offset != camera_->header().md5Start)
            splitPoints.append(static_cast<uint32_t>(camera_->base() + module.offset));
    }
    splitPoints.append(header_.totalSize);
    return true;
}

bool FirmwarePackage::extractUpdaterfs(const QString& outPath)
{
    CameraPackage::CAM_MDL_ID wanted;
    if (!updaterIdFor(PackageIo::fieldText(header_.platform, sizeof(header_.platform)), &wanted)) {
        qCritical() << "Only support Hi3516DV300, Hi3516CV500, SSC336Q, SSC339G at present";
        return false;
    }
    if (!verified_)
        return notVerified();
    const CameraPackage::UgCamMdlInfoHeader* found = nullptr;
    if (camera_) {
        for (const CameraPackage::UgCamMdlInfoHeader& module : camera_->modules()) {
            if (module.id == wanted)
                found = &module;
        }
    }
    if (!found || found->length == 0) {
        qCritical() << "Cannot find updaterfs";
        return false;
    }
    StoreFolder::NewFile out(outPath);
    const PackageIo::Range data{camera_->base() + found->offset, found->length};
    return created(&out, "Open file failed:")
        && commitFile(&out, PackageIo::copyRange(file_.data(), data, &out, PackageIo::kCopyChunk));
}

} // namespace pc
} // namespace vesk
