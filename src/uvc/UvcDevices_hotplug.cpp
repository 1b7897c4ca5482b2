// Arrivals and departures of cameras, and the backend's hot-plug feeding them.

#include "uvc/UvcDevices.h"

#include "platform/DeviceBackend.h"

#include <QDebug>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

namespace vesk {
namespace pc {

namespace {

bool inUpgrade(const UvcDevice& device)
{
    return device.devMode() == UvcDevice::DevModeUvcUpgrade;
}

bool sameDevice(const UsbDeviceInfo& a, const UsbDeviceInfo& b)
{
    return a.key == b.key && a.vendorId == b.vendorId && a.productId == b.productId && a.network == b.network;
}

// A camera in network mode has no interface to open: it is usable as listed.
bool usable(const UvcDevice& device)
{
    return device.devMode() == UvcDevice::DevModeNet || device.isOpen();
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
    if (stopping_.exchange(true))
        return;
    qDebug() << "Camera registry: arrivals stop";
    QMetaObject::invokeMethod(this, &UvcDevices::endArrivals, Qt::QueuedConnection);
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
        const bool stale = takeMissedInUpgrade(locationId) || !usable(*listed.device);
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

    arrivals_.insert(stamp, Arrival{info, {}, 0});
    after(UvcTiming::defaults().settleBeforeOpenMs, stamp, &UvcDevices::openArrival);
}

// Each wait of an arrival is a timer on the registry's thread; once the
// arrival has ended (overtaken, shutdown) its table entry is gone and the
// timer does nothing. Precise: a coarse timer of 2 s or more may fire up to
// 5 % early, and the camera needs the whole wait.
void UvcDevices::after(int ms, quint64 stamp, void (UvcDevices::*step)(quint64))
{
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, stamp, step] {
        if (!arrivals_.contains(stamp))
            return;
        if (stopping_)
            endArrival(stamp);
        else
            (this->*step)(stamp);
    });
}

// After the wait before opening.
void UvcDevices::openArrival(quint64 stamp)
{
    const UsbDeviceInfo info = arrivals_.value(stamp).info;
    Entry listed;
    if (removedSince(info.locationId, stamp) || findEntry(info.locationId, &listed)) {
        qDebug() << "Arrival at" << Qt::hex << info.locationId << "overtaken while settling";
        arrivals_.remove(stamp);
        return;
    }
    const QSharedPointer<UvcDevice> device = initWithIoServiceObject(info);
    if (!device) {
        qWarning() << "Add uvc dev failed";
        arrivals_.remove(stamp);
        return;
    }
    addListed({device, info});
    arrivals_[stamp].device = device;
    after(UvcTiming::defaults().settleAfterOpenMs, stamp, &UvcDevices::initArrival);
}

// After the wait after opening, then after each failed attempt. Nothing of
// the table is held across initDev: it waits on the camera's replies (in
// network mode also for the camera's address), seconds at worst.
void UvcDevices::initArrival(quint64 stamp)
{
    const Arrival arrival = arrivals_.value(stamp);
    // The camera left while settling; its departure unlists it, if it has
    // not already.
    const bool left = !isListed(arrival.device.data())
        || (arrival.attempt == 0 && removedSince(arrival.info.locationId, stamp));
    const UvcTiming timing = UvcTiming::defaults();
    if (left || arrival.attempt >= timing.initAttempts) {
        if (!left)
            qWarning() << "Device init failed";
        arrivals_.remove(stamp);
        return;
    }
    const bool ready = arrival.device->initDev();
    if (!arrivals_.contains(stamp))
        return;  // ended at shutdown meanwhile
    if (stopping_) {
        endArrival(stamp);
        return;
    }
    if (!ready) {
        qWarning() << "Device init failed, try again";
        ++arrivals_[stamp].attempt;
        after(timing.initRetryMs, stamp, &UvcDevices::initArrival);
        return;
    }
    arrivals_.remove(stamp);
    if (isListed(arrival.device.data()))
        emit devChanged(arrival.device->sn().toLatin1(), true);
}

// Shutdown cut the arrival short: a camera opened for it is never announced.
void UvcDevices::endArrival(quint64 stamp)
{
    const Arrival arrival = arrivals_.take(stamp);
    if (!arrival.device)
        qDebug() << "Arrival at" << Qt::hex << arrival.info.locationId << "dropped at shutdown";
    else if (isListed(arrival.device.data()))
        abandon(arrival.device);
}

void UvcDevices::endArrivals()
{
    for (const quint64 stamp : arrivals_.keys())
        endArrival(stamp);
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
    if (found && !missed && usable(*listed.device))
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
