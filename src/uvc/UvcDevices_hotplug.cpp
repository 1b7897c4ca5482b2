// Arrivals and departures of cameras, and the backend's hot-plug feeding them.

#include "uvc/UvcDevices.h"

#include "comm/Util.h"
#include "platform/DeviceBackend.h"

#include <QDebug>
#include <QMutexLocker>
#include <QThread>

namespace vesk {
namespace pc {

namespace {

constexpr int kEventPassMs = 100;  // longest event-processing pass of a settle wait

bool inUpgrade(const UvcDevice& device)
{
    return device.devMode() == UvcDevice::DevModeUvcUpgrade;
}

bool sameDevice(const UsbDeviceInfo& a, const UsbDeviceInfo& b)
{
    return a.key == b.key && a.vendorId == b.vendorId && a.productId == b.productId;
}

} // namespace

bool UvcDevices::startHotPlug()
{
    stopping_ = false;
    if (hotPlugStarted_)
        return true;
    const bool started = backend_.startHotPlug(
        [this](const UsbDeviceInfo& info, bool arrived) { onHotPlug(info, arrived); });
    if (!started) {
        qCritical("could not add hotplug event source: %d", -1);
        return false;
    }
    hotPlugStarted_ = true;
    qDebug() << "hotplug event source ready to receive events";
    return true;
}

void UvcDevices::stopHotPlug()
{
    if (hotPlugStarted_.exchange(false))
        backend_.stopHotPlug();
}

void UvcDevices::beginShutdown()
{
    if (!stopping_.exchange(true))
        qDebug() << "Camera registry: arrivals stop";
}

// Shutdown cut the arrival short: the camera was never announced.
void UvcDevices::abandon(const QSharedPointer<UvcDevice>& device)
{
    qInfo() << "Arrival at" << Qt::hex << device->locationId() << "abandoned at shutdown";
    closeUnlisted(device);
}

// On the backend's hot-plug thread: filter, then hand over to the registry's thread.
void UvcDevices::onHotPlug(const UsbDeviceInfo& info, bool arrived)
{
    qDebug() << (arrived ? "addOneDevice Thread =" : "removeOneDevice Thread =")
             << QThread::currentThread();
    if (!hotPlugMatches(info))
        return;
    qDebug() << "product_id =" << Qt::hex << info.productId;
    if (!productAccepted(info.productId))
        return;
    qDebug() << "vendor_id =" << Qt::hex << info.vendorId;
    if (!vendorAccepted(info.vendorId))
        return;
    {
        QMutexLocker lock(&mutex_);
        const quint64 stamp = ++reports_;
        if (arrived)
            pendingArrivals_[info.locationId].append(stamp);
        else
            lastRemoval_[info.locationId] = stamp;
    }
    if (arrived)
        emit deviceInserted(info);
    else
        emit deviceRemoved(info);
}

void UvcDevices::onDevInserted(const UsbDeviceInfo& info)
{
    const uint32_t locationId = info.locationId;
    qDebug() << "onDevInserted Thread =" << QThread::currentThread();
    qDebug() << "location_id =" << Qt::hex << locationId;
    const quint64 stamp = takeArrivalStamp(locationId);
    if (stopping_) {
        qDebug() << "Arrival at" << Qt::hex << locationId << "ignored at shutdown";
        return;
    }
    Entry listed;
    if (findEntry(locationId, &listed)) {
        if (inUpgrade(*listed.device)) {
            qInfo() << "upgrading skip add" << Qt::hex << locationId;
            noteMissedInUpgrade(locationId);
            return;
        }
        // A camera that restarted during its upgrade comes back as a new object.
        const bool stale = takeMissedInUpgrade(locationId) || !listed.device->isOpen();
        if (!stale && sameDevice(listed.usb, info)) {
            const QString sn = listed.device->sn();
            if (!sn.isEmpty())
                emit devChanged(sn.toLatin1(), true);
            return;
        }
        // Its departure was missed: the object at this location is stale.
        qInfo() << "Another device at" << Qt::hex << locationId << "- dropping the stale one";
        removeListed(listed.device);
    }

    const UvcTiming timing = UvcTiming::defaults();
    if (!Util::delayMs(timing.settleBeforeOpenMs, kEventPassMs, stopping_)) {
        qDebug() << "Arrival at" << Qt::hex << locationId << "dropped at shutdown";
        return;
    }
    if (removedSince(locationId, stamp) || findEntry(locationId, &listed)) {
        qDebug() << "Arrival at" << Qt::hex << locationId << "overtaken while settling";
        return;
    }
    const QSharedPointer<UvcDevice> device = initWithIoServiceObject(info);
    if (!device) {
        qWarning() << "Add uvc dev failed";
        return;
    }
    addListed({device, info});
    const bool settled = Util::delayMs(timing.settleAfterOpenMs, kEventPassMs, stopping_);
    // The camera left while settling; its departure unlists it, if it has
    // not already.
    if (!isListed(device.data()) || removedSince(locationId, stamp))
        return;
    const bool ready = settled && initialise(device);
    if (stopping_) {
        abandon(device);
        return;
    }
    if (ready && isListed(device.data()))
        emit devChanged(device->sn().toLatin1(), true);
}

bool UvcDevices::initialise(const QSharedPointer<UvcDevice>& device)
{
    const UvcTiming timing = UvcTiming::defaults();
    for (int attempt = 0; attempt < timing.initAttempts; ++attempt) {
        if (device->initDev())
            return true;
        qWarning() << "Device init failed, try again";
        if (!Util::delayMs(timing.initRetryMs, kEventPassMs, stopping_) || !isListed(device.data()))
            return false;
    }
    qWarning() << "Device init failed";
    return false;
}

void UvcDevices::onDevRemoved(const UsbDeviceInfo& info)
{
    const uint32_t locationId = info.locationId;
    qDebug() << "onDevRemoved Thread =" << QThread::currentThread();
    qDebug() << "location_id =" << Qt::hex << locationId;
    Entry listed;
    const bool found = findEntry(locationId, &listed);
    if (found && inUpgrade(*listed.device)) {
        qInfo() << "upgrading skip remove" << Qt::hex << locationId;
        noteMissedInUpgrade(locationId);
        return;
    }
    takeMissedInUpgrade(locationId);
    if (found)
        removeListed(listed.device);
}

void UvcDevices::noteMissedInUpgrade(uint32_t locationId)
{
    QMutexLocker lock(&mutex_);
    missedInUpgrade_.insert(locationId);
}

bool UvcDevices::takeMissedInUpgrade(uint32_t locationId)
{
    QMutexLocker lock(&mutex_);
    return missedInUpgrade_.remove(locationId);
}

void UvcDevices::takeUpAfterUpgrade(uint32_t locationId)
{
    QMetaObject::invokeMethod(this, [this, locationId] { replaceStale(locationId); }, Qt::QueuedConnection);
}

// On the registry's thread, once the task has let the camera go.
void UvcDevices::replaceStale(uint32_t locationId)
{
    Entry listed;
    const bool found = findEntry(locationId, &listed);
    if (found && inUpgrade(*listed.device))
        return;  // another task holds it now
    const bool missed = takeMissedInUpgrade(locationId);
    if (found && !missed && listed.device->isOpen())
        return;
    if (found) {
        qInfo() << "Camera at" << Qt::hex << locationId << "restarted during its upgrade - taken up again";
        removeListed(listed.device);
    }
    UsbDeviceInfo info;
    if (stopping_ || !backend_.findDevice(locationId, &info) || !hotPlugMatches(info)
        || !productAccepted(info.productId) || !vendorAccepted(info.vendorId))
        return;
    onDevInserted(info);
}

void initMacDeviceNotification()
{
    UvcDevices::get().startHotPlug();
}

void deinitMacDeviceNotification()
{
    UvcDevices::get().stopHotPlug();
}

} // namespace pc
} // namespace vesk
