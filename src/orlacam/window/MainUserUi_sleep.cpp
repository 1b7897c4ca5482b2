// The window's two steps that put the selected camera to sleep and wake it.

#include "orlacam/window/MainUserUi.h"

#include "orlacam/window/CloudReports.h"
#include "orlacam/window/DevSleep.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QDebug>
#include <QTimer>

using vesk::pc::UvcDevice;

namespace {

constexpr int kSleepPollCounter = -100;  // the next status read waits about twice as long
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

void MainUserUi::onDevResumed(std::function<void()> then)
{
    wakeSelected(kSleepPollCounter, std::move(then));
}

void MainUserUi::wakeSelected(int pollCounter, std::function<void()> then)
{
    const QString sn = currSn_;
    QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (sn.isEmpty() || !device) {
        if (then)
            then();
        return;
    }
    if (device->waitsForUpgrade()) {
        qInfo() << "Camera" << sn << "waits for its upgrade; not woken";
        return;
    }
    device->cameraSetDevRunStatus(UvcDevice::DevStatusResume);
    devAwake_ = true;
    device->setStatusPollCounter(pollCounter);
    lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    // The report names the source of the wake, whatever comes meanwhile; the
    // timer ends with the window.
    const vesk::pc::ActionSourceType source = actionSource_;
    QTimer::singleShot(timing_.wakeSettleMs, this, [this, sn, source, then] {
        showAwake(sn, source);
        if (then && sn == currSn_)
            then();
    });
}

// A second after the wake command.
void MainUserUi::showAwake(const QString& sn, vesk::pc::ActionSourceType source)
{
    // The camera or the selection may have changed meanwhile.
    const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (!device || sn != currSn_) {
        qDebug() << "Camera left or changed while waking:" << sn;
        return;
    }
    setDevStateOnPages(true);
    showSleepOverlay(false);
    if ((device->settledThumbnails() & kThumbnailsOneAndTwo) != kThumbnailsOneAndTwo)
        queueThumbnails(device);
    vesk::pc::devActionToServer(sn, vesk::pc::ActionToWake, source, QString(), 1);
}
