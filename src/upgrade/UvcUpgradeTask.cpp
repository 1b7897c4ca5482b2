#include "upgrade/UvcUpgradeTask.h"

#include "comm/AppPaths.h"
#include "upgrade/LocalFiles.h"
#include "comm/UpgradeCodes.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include "comm/Util.h"
#include "package/FirmwareStore.h"
#include "package/FirmwarePackage.h"
#include "package/PackageIo.h"
#include "package/StoreFolder.h"
#include "upgrade/UpgradeTexts.h"
#include "uvc/UvcCommand.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace vesk {
namespace pc {

namespace {

constexpr int kProgressPeriodMs = 1000;
constexpr int kSleepSliceMs = 10;  // a stop request is seen within this
constexpr int kLastPercent = 99;  // 100 is the success code

// The upgrade's decisions.
constexpr int kOccupiedWarnings = 10;
constexpr int kOccupiedWaitMs = 3000;
constexpr int kHandBackWaitMs = 500;
constexpr int kUgsysAttempts = 3;  // derivations of an upgrade-system package that fails its check
constexpr uint32_t kLastOldVersion = 0x01000206;       // 1.0.2.6
constexpr uint32_t kLastDirectProgram = 0x01011900;    // 1.1.25.0: cannot stream files back
constexpr int kUpgradeRequests = 3;
constexpr int kRequestPauseMs = 100;
constexpr int kFailurePauseMs = 100;
constexpr int kSettleInUpgradeMs = 1000;
constexpr uint16_t kCmdIndicateUpgrade = 0x8001;
constexpr uint8_t kCameraUnit = 1;
constexpr int kProgressPackagesReady = 1;
constexpr int kProgressInUpgradeSystem = 27;

// Older platforms whose early firmware has no upgrade service.
bool isOldPlatform(const QString& platform)
{
    return platform == QLatin1String("Hi3516DV300") || platform == QLatin1String("Hi3516CV500");
}

QString headerText(const char* field)
{
    return PackageIo::fieldText(field, 16);
}

} // namespace

UvcUpgradeTask::UvcUpgradeTask(const QString& sn, UvcPatchUpgrade::UvcTaskType type, UvcDevices& registry,
                               QObject* parent)
    : QThread(parent), taskType_(type), sn_(sn), registry_(registry), timing_(UvcTiming::defaults())
{
    regDev_ = registry_.getDevBySn(sn);
    if (regDev_) {
        workDev_ = regDev_;
        regDev_->setDevMode(UvcDevice::DevModeUvcUpgrade);
        locationId_ = uint32_t(regDev_->locationId());
        const uint32_t formats = regDev_->captureFormats();
        qInfo() << "Supported stream formats:" << Qt::hex << formats;
        streamType_ = (formats & 1) ? 0 : (formats & 2) ? 1 : 0;
        // A camera already in its upgrade system streams a log back without
        // being opened again, so the registry's object feeds the download too.
        connect(regDev_.data(), &UvcDevice::streamVideoData, this, &UvcUpgradeTask::onStreamVideoData,
                Qt::QueuedConnection);
    } else {
        qCritical() << "No matched device: sn =" << sn;
    }
    workTag_ = StoreFolder::uniqueSuffix();
    toolPath_ = AppPaths::installPath(QStringLiteral("ugpatch/vktfu.lzma"));
    timer_ = std::make_unique<QTimer>();
    connect(timer_.get(), &QTimer::timeout, this, &UvcUpgradeTask::updateProgress);
    connect(this, &UvcUpgradeTask::enableTimer, this, &UvcUpgradeTask::onEnableTimer);
}

// The UvcPatchUpgrade that runs a task waits for its end, or leaves it to
// end on its own; either way it is freed only once it has ended.
UvcUpgradeTask::~UvcUpgradeTask()
{
    timer_->stop();
}

void UvcUpgradeTask::run()
{
    qInfo() << "Thread =" << QThread::currentThread();
    if (taskType_ == UvcPatchUpgrade::UvcTaskUpgrade) {
        devUpgrade();
    } else if (taskType_ == UvcPatchUpgrade::UvcTaskExtractLog) {
        QString info;
        const bool ok = extractLogFromDev(info);
        if (registryKept())
            registry_.takeUpAfterUpgrade(locationId_);
        emit progressUpdate(ok ? 1 : 0, info);
    }
    if (abandoned_.load())
        qWarning() << "Abandoned camera task ended:" << describe();
}

void UvcUpgradeTask::requestStop()
{
    stop_ = true;
}

void UvcUpgradeTask::abandon()
{
    abandoned_ = true;
    stop_ = true;
}

bool UvcUpgradeTask::registryKept() const
{
    if (abandoned_.load())
        qWarning() << "Abandoned camera task: the registry is not told of" << sn_;
    return !abandoned_.load();
}

QString UvcUpgradeTask::describe() const
{
    const char* kind = taskType_ == UvcPatchUpgrade::UvcTaskUpgrade ? "upgrade" : "log export";
    return QStringLiteral("%1 of camera %2 at %3 %").arg(QLatin1String(kind), sn_).arg(progress());
}

void UvcUpgradeTask::updateProgress()
{
    emit progressUpdate(progress_.load(), QString());
}

void UvcUpgradeTask::onEnableTimer(bool on)
{
    if (on)
        timer_->start(kProgressPeriodMs);
    else
        timer_->stop();
}

qint64 UvcUpgradeTask::scaledMs(qint64 ms) const
{
    return ms * timing_.upgradeTimeoutPercent / 100;
}

bool UvcUpgradeTask::sleepMs(int ms)
{
    return sleepScaledMs(qint64(ms) * timing_.upgradeTimePercent / 100);
}

bool UvcUpgradeTask::sleepScaledMs(qint64 scaled)
{
    QElapsedTimer clock;
    clock.start();
    while (!stop_.load()) {
        const qint64 left = scaled - clock.elapsed();
        if (left <= 0)
            return true;
        QThread::msleep(ulong(qMin<qint64>(left, kSleepSliceMs)));
    }
    return false;
}

// Diff workers raise the counter from threads of their own.
void UvcUpgradeTask::raiseProgress(int by)
{
    int now = progress_.load();
    while (!progress_.compare_exchange_weak(now, qMin(now + by, kLastPercent))) {
    }
}

void UvcUpgradeTask::setProgress(int value)
{
    int now = progress_.load();
    while (now < value && !progress_.compare_exchange_weak(now, qMin(value, kLastPercent))) {
    }
}

QString UvcUpgradeTask::workPath(const QString& name) const
{
    return storeDir_ + name + QLatin1Char('.') + workTag_;
}

void UvcUpgradeTask::delayMs(int ms, int steps)
{
    const int slice = steps < 1 ? 1000 : (ms + steps - 1) / steps;
    for (int slept = 0; slept < ms; slept += slice) {
        if (!sleepMs(slice))
            return;
        if (steps > 0)
            raiseProgress();
    }
}

// --- the upgrade task ---

struct UvcUpgradeTask::Packages
{
    QString mainPath;
    QString ugsysPath;
    std::unique_ptr<FirmwarePackage> main;
    std::unique_ptr<FirmwarePackage> ugsys;
};

void UvcUpgradeTask::devUpgrade()
{
    if (!regDev_) {
        qCritical() << "No camera to upgrade: sn =" << sn_;
        emit progressUpdate(kErrCodeFailure, UpgradeTexts::text(UpgradeTexts::kFailed));
        return;
    }
    if (!waitStreamFree()) {
        regDev_->setDevMode(UvcDevice::DevModeUvc);
        regDev_->initDev();
        emit progressUpdate(kErrCodeFailure, UpgradeTexts::text(UpgradeTexts::kFailed));
        return;
    }
    emit enableTimer(true);
    progress_ = 0;
    const int result = doUpgrade();
    emit enableTimer(false);
    releaseWorkDevice();
    sleepMs(kHandBackWaitMs);
    handBackRegistryDevice(result != 0);
    report(result);
}

bool UvcUpgradeTask::waitStreamFree()
{
    for (int warning = 0; warning < kOccupiedWarnings; ++warning) {
        if (!workDev_->streamIsOccupied())
            return true;
        qWarning() << "streamIsOccupied";
        emit progressUpdate(kErrCodeWarn, UpgradeTexts::text(UpgradeTexts::kCloseOthers));
        if (!sleepMs(kOccupiedWaitMs))
            return false;
    }
    return false;
}

void UvcUpgradeTask::report(int result)
{
    if (result == 0)
        emit progressUpdate(kErrCodeSuccess, UpgradeTexts::text(UpgradeTexts::kSucceeded));
    else if (result == -2)
        emit progressUpdate(kErrCodeFailure, UpgradeTexts::text(UpgradeTexts::kOutOfDate));
    else
        emit progressUpdate(kErrCodeFailure, UpgradeTexts::text(UpgradeTexts::kFailed));
    qInfo() << "Quit Uvc patch upgrade";
}

void UvcUpgradeTask::releaseWorkDevice()
{
    if (workDev_ && workDev_ != regDev_) {
        workDev_->deinitAvCapture();
        workDev_->close();
    }
    workDev_.clear();
}

// The registry's object goes back to ordinary work; after a failure it is
// dropped when its camera has gone. The registry then takes up a camera
// whose object went stale while it upgraded.
void UvcUpgradeTask::handBackRegistryDevice(bool dropIfGone)
{
    if (!regDev_)
        return;
    if (!registryKept()) {
        regDev_->setDevMode(UvcDevice::DevModeUvc);
        return;
    }
    if (registry_.getDevBySn(sn_) == regDev_) {
        regDev_->setDevMode(UvcDevice::DevModeUvc);
        if (dropIfGone && !registry_.uvcDeviceExisted(locationId_)) {
            qInfo() << "Start to remove device";
            registry_.deleteDeviceByLocationId(locationId_);
        }
    }
    registry_.takeUpAfterUpgrade(locationId_);
}

int UvcUpgradeTask::doUpgrade()
{
    emit progressUpdate(0, UpgradeTexts::text(UpgradeTexts::kStartWarning));
    int systemType = cameraSystemType();
    Packages packages;
    int result = openPackage(packages, systemType);
    if (result != 0)
        return result;
    if (!prepareUgsysPackage(packages))
        return -1;
    setProgress(kProgressPackagesReady);
    bool ugsysDone = false;
    result = enterUpgradeSystem(packages, &systemType, &ugsysDone);
    if (result != 0)
        return result;

    qInfo() << "===============" << progress();
    setProgress(kProgressInUpgradeSystem);
    packages.ugsys.reset();
    StoreFolder::removePath(packages.ugsysPath);
    qInfo() << "Enter upgrade system, progress:" << progress();
    if (!ugsysDone && !reopenWithDelay(2, -1)) {
        qCritical() << "reopenWithDelay failed";
        sleepMs(kFailurePauseMs);
        return -3;
    }
    if (!updateSysForNewDev(packages.main.get())) {
        qCritical() << "Update main system failed";
        return -3;
    }
    workDev_->setSystemType(kMainSystem);
    qInfo() << "Upgrade done, progress:" << progress();
    setProgress(kLastPercent);
    packages.main.reset();
    StoreFolder::removePath(packages.mainPath);
    return 0;
}

// An identity without a system type (its device information refused, as a
// camera left in its upgrade system may answer) is taken for a main system;
// the camera's magic tells whether its upgrade system runs instead.
int UvcUpgradeTask::cameraSystemType()
{
    if (workDev_->devInfo().contains(QLatin1String("systype")))
        return workDev_->systemType();
    if (readMagic() == Magic::UpgradeSystem) {
        qWarning() << "The camera reports no system type; its upgrade system runs";
        return kUpgradeSystem;
    }
    return workDev_->systemType();
}

// The package the flow hands over (downloaded, or picked by the user),
// checked against the camera; its companion lies beside it.
int UvcUpgradeTask::openPackage(Packages& packages, int systemType)
{
    if (packagePath_.isEmpty()
        || StoreFolder::statusOfPath(packagePath_).kind != StoreFolder::Kind::Plain) {
        qCritical() << "Cannot find valid firmware" << packagePath_;
        return -1;
    }
    const QString name = StoreFolder::nameOf(packagePath_);
    const FirmwareStore store(QFileInfo(packagePath_).path());
    storeDir_ = store.dir();
    packages.mainPath = store.pathOf(name);
    packages.ugsysPath = store.companionPathOf(name);
    packages.main = std::make_unique<FirmwarePackage>(packages.mainPath, FirmwarePackage::PkgMain);
    if (!packages.main->verifyFirmware()) {
        qCritical() << "firmware check " << packages.mainPath << "failed";
        return -1;
    }
    return checkAgainstCamera(*packages.main, systemType);
}

// On its main system the camera's identity is whole and must match the
// package; in its upgrade system what it leaves out (an empty platform, a
// SoC version of 0) is not held against the package.
int UvcUpgradeTask::checkAgainstCamera(const FirmwarePackage& package, int systemType)
{
    const FirmwarePackage::UgFwPkgHeader& header = package.header();
    const QJsonObject info = workDev_->devInfo();
    const QString product = info.value(QLatin1String("product")).toString();
    const QString branch = info.value(QLatin1String("branch")).toString();
    const QString platform = info.value(QLatin1String("platform")).toString();
    const QString packageProduct = headerText(header.product);
    const QString packageBranch = headerText(header.branch);
    const QString packagePlatform = headerText(header.platform);
    const bool whole = systemType != kUpgradeSystem;
    const auto differs = [whole](const QString& reported, const QString& expected) {
        return (whole || !reported.isEmpty()) && reported != expected;
    };
    if (differs(product, packageProduct) || differs(branch, packageBranch) || differs(platform, packagePlatform)) {
        qCritical() << "firmware made for" << packageProduct << packageBranch << packagePlatform
                    << "not for the camera's" << product << branch << platform;
        return -1;
    }
    if (!package.suitsSocVersion(workDev_->socVersion(), whole))
        return -1;
    if (isOldPlatform(packagePlatform) && package.version() <= kLastOldVersion) {
        qCritical() << "Upgrade package is too old" << Util::verUintToStr(package.version());
        return -2;
    }
    return 0;
}

// The old road is for an old platform's main system on firmware up to
// 1.0.2.6. Only there does the camera's version decide anything, so only
// there is a version that cannot be read (0) refused rather than taken for
// an old one.
int UvcUpgradeTask::takesOldRoad(int systemType, bool* old)
{
    *old = false;
    const QString platform = workDev_->devInfo().value(QLatin1String("platform")).toString();
    if (systemType != kMainSystem || !isOldPlatform(platform))
        return 0;
    const QString version = workDev_->devVersion();
    const uint32_t number = Util::verStrToUint(version);
    if (number == 0) {
        qCritical() << "Cannot read the camera's firmware version:" << version;
        return -1;
    }
    *old = number <= kLastOldVersion;
    if (*old && !QFileInfo::exists(toolPath_)) {
        qCritical() << "The upgrade tool for old cameras is missing: install the maker's vktfu.lzma as"
                    << toolPath_;
        return -1;
    }
    return 0;
}

bool UvcUpgradeTask::prepareUgsysPackage(Packages& packages)
{
    for (int attempt = 0; attempt < kUgsysAttempts; ++attempt) {
        // A link or a hard link there is replaced by the derived package.
        if (StoreFolder::statusOfPath(packages.ugsysPath).kind != StoreFolder::Kind::Plain
            && !packages.main->generateUgsysFwPackage()) {
            qCritical() << "generateUgsysFwPackage failed";
            return false;
        }
        packages.ugsys = std::make_unique<FirmwarePackage>(packages.ugsysPath, FirmwarePackage::PkgUgsys);
        if (packages.ugsys->verifyFirmware())
            return true;
        qCritical() << "firmware check " << packages.ugsysPath << "failed";
        packages.ugsys.reset();
        StoreFolder::removePath(packages.ugsysPath);
    }
    qCritical() << "The upgrade-system package failed its check" << kUgsysAttempts << "times";
    return false;
}

// Brings the camera into its upgrade system with the upgrade-system package
// installed; *ugsysDone when this step installed it, the camera then in its
// upgrade system. A camera already there (system type 2) goes on as it is,
// whatever version it reports.
int UvcUpgradeTask::enterUpgradeSystem(Packages& packages, int* systemType, bool* ugsysDone)
{
    if (*systemType != kMainSystem && *systemType != kUpgradeSystem) {
        qCritical() << "Unknown device system type" << *systemType;
        return -1;
    }
    bool oldCamera = false;
    int result = takesOldRoad(*systemType, &oldCamera);
    if (result != 0 || *systemType == kUpgradeSystem)
        return result;
    ProtocolMsg::FrmPacket frame = UvcCommand::frame(kCmdIndicateUpgrade, kCameraUnit, QByteArray(1, '\1'));
    if (workDev_->sendMsgAsyncDirectly(frame) != UvcDevice::ErrSuccess)
        qCritical() << "sendMsgAsyncDirectly failed";
    sleepMs(kRequestPauseMs);
    result = oldCamera ? upgradeOldCamera(packages) : upgradeUgsys(packages);
    if (result == 0) {
        *ugsysDone = true;
        *systemType = kUpgradeSystem;
    }
    return result;
}

int UvcUpgradeTask::upgradeOldCamera(Packages& packages)
{
    const QString ugfs = workPath(QStringLiteral("ugfs.bin"));
    if (!packages.ugsys->extractUpdaterfs(ugfs)) {
        qCritical() << "extractUpdaterfs failed" << ugfs;
        return -1;
    }
    const bool ok = updateUgSysForOldDev(ugfs);
    StoreFolder::removePath(ugfs);
    if (!ok) {
        qCritical() << "Update ug_sys failed";
        return -3;
    }
    return 0;
}

int UvcUpgradeTask::upgradeUgsys(Packages& packages)
{
    bool requested = false;
    for (int attempt = 0; attempt < kUpgradeRequests && !requested; ++attempt) {
        requested = workDev_->reqDevUpgrade() == 0;
        if (!sleepMs(kRequestPauseMs))
            return -1;
    }
    if (!requested) {
        qCritical() << "reqDevUpgrade failed";
        return -1;
    }
    qInfo() << "===============" << progress();
    if (!reopenWithDelay(7, 5)) {
        qCritical() << "reopenWithDelay failed";
        sleepMs(kFailurePauseMs);
        return -3;
    }
    qInfo() << "===============" << progress();
    if (!sleepMs(kSettleInUpgradeMs))
        return -3;
    if (streamType_ != 0) {
        const uint32_t version = workDev_->getUpgradeProgramVer();
        qInfo() << "Upgrade program version:" << Qt::hex << version;
        if (version <= kLastDirectProgram) {
            if (updateUpgradeSystemDirectly(packages.ugsys.get()))
                return 0;
            qCritical() << "Update ug_sys failed";
            packages.ugsys.reset();
            StoreFolder::removePath(packages.ugsysPath);
            return -3;
        }
    }
    if (!updateSysForNewDev(packages.ugsys.get())) {
        qCritical() << "Update upgrade system failed";
        return -3;
    }
    return 0;
}

} // namespace pc
} // namespace vesk
