#include "sim/SimInstallable.h"

#include "package/FirmwarePackage.h"
#include "package/PackageIo.h"

#include <QDebug>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

// The name the firmware store gives a package with this header, which the
// package's own name check accepts.
QString storeName(const FirmwarePackage::UgFwPkgHeader& header)
{
    const auto text = [](const char* field) { return PackageIo::fieldText(field, 16); };
    return text(header.product) + QLatin1Char('_') + text(header.branch) + QLatin1Char('_')
        + text(header.platform) + QLatin1Char('_') + Util::verUintToStr(header.version)
        + QLatin1String(".bin");
}

bool holdsOnlyUpdater(const CameraPackage& camera)
{
    QList<uint32_t> ids;
    for (const auto& module : camera.modules())
        ids << module.id;
    std::sort(ids.begin(), ids.end());
    return ids == QList<uint32_t>{CameraPackage::CamMdlBase, CameraPackage::CamMdlHisiUpdater}
        || ids == QList<uint32_t>{CameraPackage::CamMdlBase, CameraPackage::CamMdlSsUpdater};
}

} // namespace

SimInstallable SimInstallable::of(const QByteArray& file)
{
    SimInstallable result;
    FirmwarePackage::UgFwPkgHeader header;
    if (file.size() < PackageIo::kHeaderSize) {
        qWarning() << "Simulated camera: no package to install," << file.size() << "bytes";
        return result;
    }
    std::memcpy(&header, file.constData(), sizeof(header));
    const QString name = storeName(header);
    QTemporaryDir dir;
    QFile copy(dir.filePath(name));
    if (!dir.isValid() || !PackageIo::isSafeBaseName(name) || !copy.open(QIODevice::WriteOnly)
        || copy.write(file) != file.size()) {
        qWarning() << "Simulated camera: cannot look at the package" << name;
        return result;
    }
    copy.close();
    FirmwarePackage package(copy.fileName(), FirmwarePackage::PkgMain);
    if (!package.verifyFirmware() || !package.cameraPackage()) {
        qWarning() << "Simulated camera: install refused, not a whole package";
        return result;
    }
    result.kind = holdsOnlyUpdater(*package.cameraPackage()) ? UpgradeSystem : MainFirmware;
    result.version = package.version();
    result.deviceType = package.getDeviceType();
    return result;
}

} // namespace pc
} // namespace vesk
