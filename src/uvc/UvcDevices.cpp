// The registry's list, its look-ups and the camera objects made outside it.

#include "uvc/UvcDevices.h"

#include "comm/GlobalParams.h"
#include "platform/DeviceBackend.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

const uint16_t kVendorIds[] = {0x3564, 0x6E30};
constexpr uint16_t kProductId = 0xFEF2;  // the lowest bit is not compared
constexpr uint8_t kDeviceClass = 239;     // miscellaneous: interface associations
constexpr uint8_t kDeviceSubClass = 2;

} // namespace

UvcDevices& UvcDevices::get()
{
    static UvcDevices instance(DeviceBackend::instance());
    return instance;
}

UvcDevices::UvcDevices(DeviceBackend& backend, QObject* parent)
    : QObject(parent)
    , backend_(backend)
{
    qRegisterMetaType<vesk::pc::UsbDeviceInfo>("vesk::pc::UsbDeviceInfo");
    connect(this, &UvcDevices::deviceInserted, this, &UvcDevices::onDevInserted, Qt::QueuedConnection);
    connect(this, &UvcDevices::deviceRemoved, this, &UvcDevices::onDevRemoved, Qt::QueuedConnection);
}

UvcDevices::~UvcDevices()
{
    stopHotPlug();
    releaseAll();
    qDebug() << "Camera registry closed";
}

bool UvcDevices::vendorAccepted(uint16_t vendorId)
{
    if (vendorId == 0)
        return true;
    for (uint16_t accepted : kVendorIds) {
        if (vendorId == accepted)
            return true;
    }
    return false;
}

bool UvcDevices::productAccepted(uint16_t productId)
{
    return productId == 0 || (productId & ~1u) == kProductId;
}

bool UvcDevices::hotPlugMatches(const UsbDeviceInfo& info)
{
    return info.deviceClass == kDeviceClass && info.deviceSubClass == kDeviceSubClass;
}

template <typename Match>
QSharedPointer<UvcDevice> UvcDevices::findFirst(Match match) const
{
    QMutexLocker lock(&mutex_);
    for (const Entry& entry : entries_) {
        if (match(*entry.device))
            return entry.device;
    }
    return {};
}

QSharedPointer<UvcDevice> UvcDevices::getDevBySn(const QString& sn) const
{
    if (sn.isEmpty())
        return {};
    return findFirst([&sn](const UvcDevice& device) { return device.sn() == sn; });
}

QSharedPointer<UvcDevice> UvcDevices::getDevByName(const QString& name) const
{
    if (name.isEmpty())
        return {};
    return findFirst([&name](const UvcDevice& device) { return device.devName() == name; });
}

QSharedPointer<UvcDevice> UvcDevices::getDevByUuid(const QByteArray& uuid) const
{
    if (uuid.isEmpty())
        return {};
    return findFirst([&uuid](const UvcDevice& device) { return device.uuid() == uuid; });
}

QSharedPointer<UvcDevice> UvcDevices::getDevByLocationId(uint32_t locationId) const
{
    return findFirst(
        [locationId](const UvcDevice& device) { return device.locationId() == int64_t(locationId); });
}

bool UvcDevices::containDev(const QByteArray& uuid) const
{
    return bool(getDevByUuid(uuid));
}

QString UvcDevices::getDevVersion(const QString& sn) const
{
    const QSharedPointer<UvcDevice> device = getDevBySn(sn);
    return device ? device->devVersion() : QString();
}

QList<QSharedPointer<UvcDevice>> UvcDevices::devList() const
{
    QMutexLocker lock(&mutex_);
    QList<QSharedPointer<UvcDevice>> list;
    for (const Entry& entry : entries_)
        list << entry.device;
    return list;
}

bool UvcDevices::findEntry(uint32_t locationId, Entry* found) const
{
    QMutexLocker lock(&mutex_);
    for (const Entry& entry : entries_) {
        if (entry.device->locationId() == int64_t(locationId)) {
            *found = entry;
            return true;
        }
    }
    return false;
}

bool UvcDevices::isListed(const UvcDevice* device) const
{
    QMutexLocker lock(&mutex_);
    for (const Entry& entry : entries_) {
        if (entry.device.data() == device)
            return true;
    }
    return false;
}

void UvcDevices::addListed(const Entry& entry)
{
    QMutexLocker lock(&mutex_);
    entries_.append(entry);
}

quint64 UvcDevices::takeArrivalStamp(uint32_t locationId)
{
    QMutexLocker lock(&mutex_);
    QList<quint64>& pending = pendingArrivals_[locationId];
    const quint64 stamp = pending.isEmpty() ? ++reports_ : pending.takeFirst();
    if (pending.isEmpty())
        pendingArrivals_.remove(locationId);
    return stamp;
}

bool UvcDevices::removedSince(uint32_t locationId, quint64 stamp) const
{
    QMutexLocker lock(&mutex_);
    return lastRemoval_.value(locationId) > stamp;
}

void UvcDevices::removeListed(const QSharedPointer<UvcDevice>& device)
{
    const QString sn = device->sn();
    if (closeUnlisted(device) && !sn.isEmpty())
        emit devChanged(sn.toLatin1(), false);
}

bool UvcDevices::closeUnlisted(const QSharedPointer<UvcDevice>& device)
{
    bool unlisted = false;
    {
        QMutexLocker lock(&mutex_);
        for (int i = 0; i < entries_.size() && !unlisted; ++i) {
            if (entries_[i].device == device) {
                entries_.removeAt(i);
                unlisted = true;
            }
        }
    }
    if (unlisted)
        GlobalParams::get().releaseAnIpAddr(device->ipAddr());
    // A holder on another thread keeps the object alive; closed, it answers
    // every later command with a refusal.
    device->close();
    return unlisted;
}

void UvcDevices::deleteListedAt(uint32_t locationId)
{
    Entry entry;
    if (findEntry(locationId, &entry))
        removeListed(entry.device);
}

void UvcDevices::deleteDeviceByLocationId(uint32_t locationId)
{
    deleteListedAt(locationId);
}

void UvcDevices::releaseAll()
{
    QList<Entry> entries;
    {
        QMutexLocker lock(&mutex_);
        entries.swap(entries_);
    }
    for (const Entry& entry : entries)
        entry.device->close();
}

QSharedPointer<UvcDevice> UvcDevices::initWithIoServiceObject(const UsbDeviceInfo& info)
{
    qDebug() << "Device name:" << info.key;
    const QSharedPointer<CameraHandle> handle = backend_.openDevice(info.locationId);
    if (!handle)
        return {};
    // A camera in network operation is reached over HTTP; its object opens nothing.
    const QSharedPointer<UvcDevice> device =
        UvcDevice::create(handle, info.network ? UvcDevice::DevModeNet : UvcDevice::DevModeUvc);
    if (device->open() != 0) {
        reportAccessDenied(*handle);
        return {};
    }
    return device;
}

void UvcDevices::reportAccessDenied(const CameraHandle& handle)
{
    const QString node = handle.accessDeniedNode();
    if (node.isEmpty())
        return;
    {
        QMutexLocker lock(&mutex_);
        if (deniedNodes_.contains(node))
            return;
        deniedNodes_.insert(node);
    }
    qWarning() << "Camera" << handle.info().key << "refuses this user on" << node;
    emit devAccessDenied(node);
}

QSharedPointer<UvcDevice> UvcDevices::uvcDeviceWithService(const UsbDeviceInfo& info)
{
    qDebug() << "vendor_id =" << Qt::hex << info.vendorId;
    qDebug() << "product_id =" << Qt::hex << info.productId;
    qDebug() << "location_id =" << Qt::hex << info.locationId;
    if (!vendorAccepted(info.vendorId) || !productAccepted(info.productId))
        return {};
    return initWithIoServiceObject(info);
}

QList<QSharedPointer<UvcDevice>> UvcDevices::uvcDevices()
{
    QList<QSharedPointer<UvcDevice>> devices;
    for (const UsbDeviceInfo& info : backend_.devices()) {
        if (const QSharedPointer<UvcDevice> device = uvcDeviceWithService(info))
            devices << device;
    }
    return devices;
}

QSharedPointer<UvcDevice> UvcDevices::uvcDeviceWithLocationId(uint32_t locationId)
{
    UsbDeviceInfo info;
    if (!backend_.findDevice(locationId, &info))
        return {};
    return uvcDeviceWithService(info);
}

bool UvcDevices::uvcDeviceExisted(uint32_t locationId) const
{
    return backend_.findDevice(locationId, nullptr);
}

QList<UsbDeviceInfo> UvcDevices::attachedWithIds(uint16_t vendorId, uint16_t productId) const
{
    QList<UsbDeviceInfo> found;
    for (const UsbDeviceInfo& info : backend_.devices()) {
        if (info.vendorId == vendorId && info.productId == productId) {
            qDebug() << "location_id =" << Qt::hex << info.locationId;
            found << info;
        }
    }
    return found;
}

QList<QSharedPointer<UvcDevice>> UvcDevices::uvcDevicesWithVendorIdProductId(uint16_t vendorId,
                                                                             uint16_t productId)
{
    QList<QSharedPointer<UvcDevice>> devices;
    for (const UsbDeviceInfo& info : attachedWithIds(vendorId, productId)) {
        if (const QSharedPointer<UvcDevice> device = uvcDeviceWithService(info))
            devices << device;
    }
    return devices;
}

QSharedPointer<UvcDevice> UvcDevices::uvcDeviceWithVendorIdProductId(uint16_t vendorId, uint16_t productId)
{
    const QList<UsbDeviceInfo> found = attachedWithIds(vendorId, productId);
    return found.isEmpty() ? QSharedPointer<UvcDevice>() : uvcDeviceWithService(found.first());
}

} // namespace pc
} // namespace vesk
