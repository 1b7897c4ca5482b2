#include "upgrade/UvcPatchUpgrade.h"

#include "uvc/UpgradeCodes.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QDebug>
#include <QElapsedTimer>

namespace vesk {
namespace pc {

namespace {

constexpr int kProgressPeriodMs = 1000;
constexpr int kSleepSliceMs = 10;  // a stop request is seen within this
constexpr unsigned long kStopWaitMs = 15000;

} // namespace

UvcPatchUpgrade::UvcPatchUpgrade(const QString& sn, UvcTaskType type, QObject* parent)
    : UvcPatchUpgrade(sn, type, UvcDevices::get(), parent)
{
}

UvcPatchUpgrade::UvcPatchUpgrade(const QString& sn, UvcTaskType type, UvcDevices& registry,
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
    } else {
        qCritical() << "No matched device: sn =" << sn;
    }
    timer_ = std::make_unique<QTimer>();
    connect(timer_.get(), &QTimer::timeout, this, &UvcPatchUpgrade::updateProgress);
    connect(this, &UvcPatchUpgrade::enableTimer, this, &UvcPatchUpgrade::onEnableTimer);
}

// No terminate: every wait of the task ends on the stop request and every
// camera operation is bounded, so the thread ends on its own.
UvcPatchUpgrade::~UvcPatchUpgrade()
{
    timer_->stop();
    if (isRunning()) {
        requestStop();
        if (!wait(kStopWaitMs)) {
            qCritical() << "Upgrade thread did not end within" << kStopWaitMs << "ms; waiting on";
            wait();
        }
    }
}

// The camera sequences are not in this build yet: the task ends at once and
// says so, rather than leaving a caller waiting.
void UvcPatchUpgrade::run()
{
    qWarning() << "Upgrade task not available in this build: sn =" << sn_;
    emit progressUpdate(kErrCodeFailure, QStringLiteral("Not supported"));
}

void UvcPatchUpgrade::requestStop()
{
    stop_ = true;
}

void UvcPatchUpgrade::updateProgress()
{
    emit progressUpdate(progress_.load(), QString());
}

void UvcPatchUpgrade::onEnableTimer(bool on)
{
    if (on)
        timer_->start(kProgressPeriodMs);
    else
        timer_->stop();
}

qint64 UvcPatchUpgrade::scaledMs(qint64 ms) const
{
    return ms * timing_.upgradeTimePercent / 100;
}

bool UvcPatchUpgrade::sleepMs(int ms)
{
    const qint64 scaled = scaledMs(ms);
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

void UvcPatchUpgrade::raiseProgress(int by)
{
    progress_ += by;
}

void UvcPatchUpgrade::delayMs(int ms, int steps)
{
    const int slice = steps < 1 ? 1000 : (ms + steps - 1) / steps;
    for (int slept = 0; slept < ms; slept += slice) {
        if (!sleepMs(slice))
            return;
        if (steps > 0)
            raiseProgress();
    }
}

} // namespace pc
} // namespace vesk
