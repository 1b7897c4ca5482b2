// What the camera is taken through: a package brought on by patching or
// sent whole, the upgrade tool and updater of an old camera, and opening the
// camera again after each restart.

#include "upgrade/UvcUpgradeTask.h"

#include "package/FirmwarePackage.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <climits>

namespace vesk {
namespace pc {

namespace {

const char kCamFirmware[] = "/app/updater/fw";
const char kCamPatchList[] = "/app/updater/fwpt";
const char kCamUpdater[] = "/app/updater/ug";
const char kCamTool[] = "/log/tf";
const char kInstallPath[] = "/app/updater/fw ";  // the camera expects the blank
const char kRemovePatchList[] = "rm -f /app/updater/fwpt &";
const char kDropCaches[] = "echo 3 > /proc/sys/vm/drop_caches; free &";
constexpr uint8_t kFormatUpdater = 6;

// Unpacks and starts the upload tool of an old camera, in /log.
const char* const kToolLines[] = {
    "cd /log&&mv tf tfx.lzma&&lzma -d tfx.lzma",
    "cd /log&&mv tfx tfu&&chmod +x tfu&",
    "cd /log&&mv tfu t&&sleep 2&& ./t&",
};

constexpr int kStepPauseMs = 300;
constexpr int kToolSettleSlices = 4;
constexpr int kToolSettleSliceMs = 3750;
constexpr int kToolLinePauseMs = 1000;
constexpr int kToolStartMs = 4500;
constexpr int kToolChecks = 3;
constexpr int kToolCheckPauseMs = 2000;
constexpr int kFormatSettleMs = 3000;
constexpr int kEnterSettleMs = 2000;
constexpr int kFailurePauseMs = 1000;
constexpr int kBeforeReopenMs = 2000;
constexpr int kReopenPauseMs = 1000;
constexpr int kReopenAttempts = 3;  // after the first
constexpr int kReopenRetryMs = 2000;
constexpr int kUgsysProgress = 21;
constexpr int kMainWaitCap = 98;

} // namespace

bool UvcUpgradeTask::updateSysForNewDev(FirmwarePackage* package)
{
    QElapsedTimer clock;
    clock.start();
    const bool main = package->pkgType() == FirmwarePackage::PkgMain;
    QList<uint32_t> splitPoints;
    if (!uploadPatchHead(package, &splitPoints) || !upgradeProgramFits() || !sendStreamType()
        || !sendPatchList(package, splitPoints) || !applyPatchList())
        return false;
    qInfo() << "bspatch fw end successfully";
    raiseProgress();
    qInfo() << "===============" << progress();
    if (!sleepMs(kStepPauseMs) || !freeAndInstall(package, true))
        return false;
    qInfo() << "upgrade take" << clock.elapsed() << "ms";
    // The camera comes back from a main package as an ordinary camera.
    if (main)
        regDev_->setDevMode(UvcDevice::DevModeUvc);
    if (!waitUpgradeLeft(main ? 3 : 2, main ? kMainWaitCap : kUgsysProgress, clock))
        return false;
    return main || reopenAfterUgsysInstall(18);
}

// The patch head goes in its container to where the camera rebuilds its
// present image; splitPoints receives the package's module boundaries.
bool UvcUpgradeTask::uploadPatchHead(FirmwarePackage* package, QList<uint32_t>* splitPoints)
{
    QString head = workPath(QStringLiteral("fwheader.bin"));
    const QString container = head + QStringLiteral(".lzma");
    if (!package->generateFwPatchHead(head, *splitPoints)) {
        qCritical() << "generate patch file header failed";
        return false;
    }
    const bool packed = fileCompress(head, container);
    StoreFolder::removePath(head);
    if (!packed) {
        qCritical() << "compress failed" << container;
        return false;
    }
    const bool sent = fileUploadByUvc(container, kCamFirmware, true, 0);
    StoreFolder::removePath(container);
    if (!sent)
        qCritical() << "fileUploadByUvc failed" << container;
    return sent;
}

// Fetches the camera's rebuilt image, diffs it against the package and
// sends the patch list.
bool UvcUpgradeTask::sendPatchList(FirmwarePackage* package, const QList<uint32_t>& splitPoints)
{
    const bool main = package->pkgType() == FirmwarePackage::PkgMain;
    const uint32_t total = package->header().totalSize;
    const QString image = workPath(QStringLiteral("devFw.bin"));
    const QString list = workPath(QStringLiteral("patch.bin"));
    if (total > uint32_t(INT_MAX) || !fileDownloadByUvc(kCamFirmware, image, int(total), true)) {
        qCritical() << "download fwpkg failed";
        return false;
    }
    qInfo() << "===============" << progress();
    const bool made = bspatchListGenerate(image, package->path(), list, splitPoints, main ? 10 : 2);
    StoreFolder::removePath(image);
    if (!made) {
        qCritical() << "generate bsdiff patch list failed" << image << package->path();
        StoreFolder::removePath(list);
        return false;
    }
    qInfo() << "bsdiff successfully";
    const qint64 size = QFileInfo(list).size();
    if (size > total / 2)
        qCritical() << "How can be fw bs patch so large " << size;
    qInfo() << "firmware package bspatch size" << size;
    const bool sent = fileUploadByUvc(list, kCamPatchList, false, main ? 28 : 8);
    StoreFolder::removePath(list);
    if (!sent) {
        qCritical() << "fileUploadByUvc failed" << list;
        return false;
    }
    qInfo() << "===============" << progress();
    return sleepMs(kStepPauseMs);
}

// Frees the camera's memory and has it install "/app/updater/fw" as the
// package's channel and version; a shell line that fails is only logged.
bool UvcUpgradeTask::freeAndInstall(FirmwarePackage* package, bool removePatchList)
{
    if (!sendUpCmd(UG_UVC_UP_CMD_FREE_SOURCE, QByteArray(), "UG_UVC_UP_CMD_FREE_SOURCE failed")
        || !sleepMs(kStepPauseMs))
        return false;
    if (removePatchList) {
        ugSyscallLine(kRemovePatchList);
        if (!sleepMs(kStepPauseMs))
            return false;
    }
    ugSyscallLine(kDropCaches);
    QByteArray args(1, char(package->getDeviceType()));
    char version[4];
    qToBigEndian<quint32>(package->version(), version);
    args.append(version, 4);
    args.append(kInstallPath);
    return sendUpCmd(UG_UVC_UP_CMD_RENAME_FW, args, "UG_UVC_UP_CMD_RENAME_FW failed");
}

bool UvcUpgradeTask::reopenAfterUgsysInstall(int seconds)
{
    setProgress(kUgsysProgress);
    if (!sleepMs(kBeforeReopenMs))
        return false;
    if (!reopenWithDelay(seconds, 6)) {
        qCritical() << "reopenWithDelay failed";
        return false;
    }
    return true;
}

bool UvcUpgradeTask::updateUpgradeSystemDirectly(FirmwarePackage* package)
{
    QElapsedTimer clock;
    clock.start();
    if (!fileUploadByUvc(package->path(), kCamFirmware, false, 12)) {
        qCritical() << "fileUploadUvcTrans failed" << package->path();
        return false;
    }
    return freeAndInstall(package, false) && waitUpgradeLeft(2, kUgsysProgress, clock)
        && reopenAfterUgsysInstall(16);
}

bool UvcUpgradeTask::updateUgSysForOldDev(const QString& ugfsPath)
{
    QElapsedTimer clock;
    clock.start();
    qInfo() << "platform type:" << workDev_->devInfo().value(QLatin1String("platform")).toString()
            << ugfsPath;
    if (!startOldCameraTool() || !installUpdater(ugfsPath))
        return false;
    if (!reopenWithDelay(16, 4)) {
        qCritical() << "reopenWithDelay failed";
        return false;
    }
    qInfo() << "===============" << progress();
    if (readMagic() != Magic::UpgradeSystem) {
        qCritical() << "run upgrade tfu failed";
        sleepMs(kFailurePauseMs);
        return false;
    }
    qInfo() << "enter upgrade take" << clock.elapsed() << "ms";
    return true;
}

// Sends the tool through shell lines, unpacks and starts it, and opens the
// camera again to find it running.
bool UvcUpgradeTask::startOldCameraTool()
{
    if (!fileUploadSyscallV0(toolPath_, kCamTool)) {
        qCritical() << "fileUploadSyscallV0" << toolPath_ << "failed";
        return false;
    }
    qInfo() << "fileUploadSyscallV0 done";
    qInfo() << "===============" << progress();
    for (int slice = 0; slice < kToolSettleSlices; ++slice) {
        if (!sleepMs(kToolSettleSliceMs))
            return false;
        raiseProgress();
    }
    qInfo() << "===============";
    for (const char* line : kToolLines) {
        qInfo() << line;
        if (!sendShellLine(line)) {
            sleepMs(kFailurePauseMs);
            return false;
        }
        if (!sleepMs(kToolLinePauseMs))
            return false;
    }
    raiseProgress();
    qInfo() << "===============" << progress();
    if (!reopenWithDelay(4, 1)) {
        qCritical() << "reopenWithDelay failed";
        return false;
    }
    qInfo() << "===============";
    if (!sleepMs(kToolStartMs))
        return false;
    for (int check = 1; readMagic() != Magic::UpgradeTool; ++check) {
        if (check == kToolChecks) {
            qCritical() << "run tfu failed, will quit";
            return false;
        }
        qWarning() << "run tfu failed, will try again";
        if (!sleepMs(kToolCheckPauseMs))
            return false;
    }
    raiseProgress();
    qInfo() << "===============" << progress();
    return true;
}

// The updater image onto its partition, then into the upgrade system.
bool UvcUpgradeTask::installUpdater(const QString& ugfsPath)
{
    if (!fileUploadByUvc(ugfsPath, kCamUpdater, false, 0)) {
        qCritical() << "fileUploadUvcTrans failed" << ugfsPath;
        return false;
    }
    const QByteArray format = QByteArray(1, char(kFormatUpdater)) + kCamUpdater;
    if (!sendUpCmd(UG_UVC_UP_CMD_FORMAT_UPDATER, format, "ubi format failed"))
        return false;
    qInfo() << "format updater.ubi successfully";
    if (!sleepMs(kFormatSettleMs))
        return false;
    raiseProgress();
    qInfo() << "===============" << progress();
    if (!sendUpCmd(UG_UVC_UP_CMD_ENTER_UGSYS, QByteArray(), "ubi format failed") || !sleepMs(kEnterSettleMs))
        return false;
    raiseProgress();
    qInfo() << "===============" << progress();
    return true;
}

bool UvcUpgradeTask::reopenWithDelay(int seconds, int steps)
{
    if (!workDev_) {
        qCritical() << "device cannot be null";
        return false;
    }
    workDev_->deinitAvCapture();
    workDev_->close();
    qInfo() << "Close device and sleep" << seconds << "seconds";
    const int slice = steps >= 2 ? (seconds * 1000 + steps - 2) / (steps - 1) : 1000;
    for (int slept = 0; slept < seconds * 1000; slept += slice) {
        if (!sleepMs(slice))
            return false;
        if (steps >= 2)
            raiseProgress();
    }
    qInfo() << "Sleep done and try to reopen device";
    // The registry's object stays the registry's; one of ours goes with the pointer.
    workDev_.clear();
    if (!sleepMs(kReopenPauseMs))
        return false;
    qInfo() << "reopen device";
    if (!sleepMs(kReopenPauseMs) || !openAgainAtLocation())
        return false;
    if (steps > 0)
        raiseProgress();
    return true;
}

bool UvcUpgradeTask::openAgainAtLocation()
{
    QSharedPointer<UvcDevice> device = registry_.uvcDeviceWithLocationId(locationId_);
    for (int attempt = 0; !device && attempt < kReopenAttempts; ++attempt) {
        if (!sleepMs(kReopenRetryMs))
            return false;
        device = registry_.uvcDeviceWithLocationId(locationId_);
    }
    if (!device) {
        qCritical() << "new UvcDevice failed";
        return false;
    }
    device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    device->setDevInfo(regDev_->devInfo());
    connect(device.data(), &UvcDevice::streamVideoData, this, &UvcUpgradeTask::onStreamVideoData,
            Qt::QueuedConnection);
    workDev_ = device;
    return true;
}

} // namespace pc
} // namespace vesk
