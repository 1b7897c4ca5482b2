// Log export: the camera packs its logs in its upgrade system and streams
// the archive back; it is asked to reboot at the end whatever happened.

#include "upgrade/UvcUpgradeTask.h"

#include "comm/AppPaths.h"
#include "upgrade/UpgradeTexts.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QDebug>

#include <climits>

namespace vesk {
namespace pc {

namespace {

const char kCamLogArchive[] = "/log/vesk_log.tar.gz";
const char kReboot[] = "reboot";
constexpr int kBlock = ExtensionUnit::kBlockSize;
constexpr int kPrepareSettleMs = 1000;
constexpr int kFailurePauseMs = 100;
constexpr int kPackWaitMs = 2000;
constexpr int kRebootSettleMs = 1000;

} // namespace

bool UvcUpgradeTask::extractLogFromDev(QString& info)
{
    info.clear();
    if (workDev_ && workDev_->streamIsOccupied()) {
        qWarning() << "streamIsOccupied";
        info = UpgradeTexts::text(UpgradeTexts::kCloseOthers);
        return endLogExport(false);
    }
    QString stored;
    const bool ok = endLogExport(workDev_ && enterLogSystem() && packAndFetchLog(&stored));
    if (ok)
        info = stored;  // the user is told where the archive went
    return ok;
}

// A camera on its main system gathers its logs and restarts into its
// upgrade system; one already there goes straight on.
bool UvcUpgradeTask::enterLogSystem()
{
    if (workDev_->systemType() == kMainSystem) {
        // Without the gathered logs the archive would be stale: a failure ends the export.
        if (workDev_->cameraPrepareLog() != 0) {
            qCritical() << "cameraPrepareLog failed";
            return false;
        }
        if (!sleepMs(kPrepareSettleMs))
            return false;
        workDev_->reqDevUpgrade();
        if (!reopenWithDelay(7, -1)) {
            qCritical() << "reopenWithDelay failed";
            sleepMs(kFailurePauseMs);
            return false;
        }
    }
    return upgradeProgramFits();
}

bool UvcUpgradeTask::packAndFetchLog(QString* stored)
{
    if (!sendStreamType()
        || !sendUpCmd(UG_UVC_UP_CMD_PACK_LOG, QByteArray(), "UG_UVC_UP_CMD_PACK_LOG failed")
        || !sleepMs(kPackWaitMs))
        return false;
    uint8_t block[kBlock];
    if (!readUpCmdState(UG_UVC_UP_CMD_PACK_LOG, block, "get UG_UVC_UP_CMD_PACK_LOG state failed",
                        "invalid UG_UVC_UP_CMD_PACK_LOG state data[0] "))
        return false;
    const uint32_t length = UpgradeCmdState::fromBlock(block).packedLogSize;
    if (length == 0 || length > uint32_t(INT_MAX)) {
        qCritical() << "Get log file size failed" << length;
        return false;
    }
    const QString name = QStringLiteral("%1vesk_log_%2.tar.gz")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss_")),
                                  UvcDevice::safeSerial(sn_));
    const QString path = AppPaths::dataPath(QStringLiteral("log/")) + name;
    if (!fileDownloadByUvc(kCamLogArchive, path, int(length), false)) {
        qCritical() << "download failed";
        return false;
    }
    regDev_->setDevMode(UvcDevice::DevModeUvc);
    *stored = path;
    return true;
}

// The camera reboots into its main system in every case; after a failure
// the registry's object is dropped when the camera has gone.
bool UvcUpgradeTask::endLogExport(bool ok)
{
    if (ok && ugSyscallLine(kReboot)) {
        sleepMs(kRebootSettleMs);
        releaseWorkDevice();
        return true;
    }
    if (regDev_)
        regDev_->setDevMode(UvcDevice::DevModeUvc);
    if (workDev_) {
        workDev_->deinitAvCapture();
        ugSyscallLine(kReboot);
    }
    if (workDev_ == regDev_ || !regDev_)
        return false;
    releaseWorkDevice();
    sleepMs(kRebootSettleMs);
    if (registryKept() && registry_.getDevBySn(sn_) == regDev_ && !registry_.uvcDeviceExisted(locationId_)) {
        qInfo() << "Start to remove device";
        registry_.deleteDeviceByLocationId(locationId_);
    }
    return false;
}

} // namespace pc
} // namespace vesk
