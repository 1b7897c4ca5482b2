#include "orlacam/flows/UvcUpgradeProgress.h"

#include "upgrade/UvcPatchUpgrade.h"
#include "comm/UpgradeCodes.h"

#include <QDebug>

using vesk::pc::UvcPatchUpgrade;

namespace {

constexpr int kBoxWidth = 360;
constexpr uint kStackBytes = 0x8000000;

} // namespace

UvcUpgradeProgress::UvcUpgradeProgress(const QString& sn, const QString& package, QWidget* parent)
    : MsgProgressUi(parent), upgrade_(new UvcPatchUpgrade(sn, UvcPatchUpgrade::UvcTaskUpgrade))
{
    startTask(package);
}

UvcUpgradeProgress::UvcUpgradeProgress(const QString& sn, const QString& package, vesk::pc::UvcDevices& registry,
                                       QWidget* parent)
    : MsgProgressUi(parent), upgrade_(new UvcPatchUpgrade(sn, UvcPatchUpgrade::UvcTaskUpgrade, registry))
{
    startTask(package);
}

void UvcUpgradeProgress::startTask(const QString& package)
{
    upgrade_->setPackage(package);
    setFixedWidth(kBoxWidth);
    setMaxProg(100);
    onProgressUpdate(0, tr("Warning:\n1 Do not disconnect the device during upgrade, otherwise the device will "
                           "crash!\n2 Please make sure that you close all applications that may use device during "
                           "upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc.\n"));
    connect(upgrade_, &UvcPatchUpgrade::progressUpdate, this, &MsgProgressUi::onProgressUpdate);
    upgrade_->setStackSize(kStackBytes);
    upgrade_->start(QThread::HighPriority);
}

UvcUpgradeProgress::~UvcUpgradeProgress()
{
    disconnect(upgrade_, nullptr, this, nullptr);
    releaseTask(upgrade_);
}

void UvcUpgradeProgress::releaseTask(UvcPatchUpgrade* task)
{
    if (!task)
        return;
    task->requestStop();
    if (task->wait(kStopWaitMs)) {
        delete task;
        return;
    }
    // Never freed while it runs.
    qCritical() << "Camera task still running after" << kStopWaitMs << "ms; released when it ends";
    connect(task, &QThread::finished, task, &QObject::deleteLater);
}

void UvcUpgradeProgress::ondevDisconnDuringUg()
{
    qCritical() << "Error: ondevDisconnDuringUg";
    onProgressUpdate(vesk::pc::kErrCodeError, failedText());
}
