// The window's two steps that put the selected camera to sleep and wake it.

#include "orlacam/MainUserUi.h"

#include "comm/Util.h"
#include "orlacam/CloudReports.h"
#include "orlacam/DevSleep.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QPointer>

using vesk::pc::UvcDevice;
using vesk::pc::Util;

namespace {

constexpr int kSleepPollCounter = -100;  // the next status read waits about twice as long
constexpr int kWakeSettleMs = 1000;
constexpr int kWakeEventPassMs = 100;
constexpr unsigned kThumbnailsOneAndTwo = 1u | 2u;

} // namespace

void MainUserUi::on_pbDevStatus_clicked()
{
    sleepSelected(kSleepPollCounter);
}

void MainUserUi::sleepSelected(int pollCounter)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->setStatusPollCounter(pollCounter);
    lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    device->cameraSetDevRunStatus(UvcDevice::DevStatusSleep);
    devAwake_ = false;
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionToSleep, actionSource_, QString(),
                                int(device->cachedStatus().at(2)));
    showSleepOverlay(true);
    if (devSleep_->selectedIndex() <= DevSleep::kMaxButtons - 1)
        devSleep_->setSleepTime(devSleep_->selectedIndex(), QDateTime::currentMSecsSinceEpoch());
    setDevStateOnPages(false);
}

void MainUserUi::onDevResumed()
{
    wakeSelected(kSleepPollCounter);
}

void MainUserUi::wakeSelected(int pollCounter)
{
    const QString sn = currSn_;
    QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (sn.isEmpty() || !device)
        return;
    device->cameraSetDevRunStatus(UvcDevice::DevStatusResume);
    devAwake_ = true;
    device->setStatusPollCounter(pollCounter);
    lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    device.reset();  // not held across the wait

    const QPointer<MainUserUi> self(this);
    Util::delayMs(kWakeSettleMs, kWakeEventPassMs);
    if (!self)
        return;  // the window closed during the wait

    // The camera or the selection may have changed meanwhile.
    device = registry_->getDevBySn(sn);
    if (!device || sn != currSn_) {
        qDebug() << "Camera left or changed while waking:" << sn;
        return;
    }
    setDevStateOnPages(true);
    showSleepOverlay(false);
    if ((device->settledThumbnails() & kThumbnailsOneAndTwo) != kThumbnailsOneAndTwo)
        queueThumbnails(device);
    vesk::pc::devActionToServer(sn, vesk::pc::ActionToWake, actionSource_, QString(), 1);
}
