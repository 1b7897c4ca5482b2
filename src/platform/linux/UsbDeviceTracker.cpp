#include "platform/linux/UsbDeviceTracker.h"

#include "platform/linux/UsbLocationId.h"

#include <QFileInfo>

namespace vesk {
namespace pc {

bool UsbDeviceTracker::onEvent(const QByteArray& action, const QByteArray& devtype,
                               const QString& syspath, UsbDeviceInfo* info, bool* arrived)
{
    const bool isDevice = devtype == "usb_device";
    if (!isDevice && devtype != "usb_interface")
        return false;
    if (action == "add" || action == "bind") {
        // An interface's directory lies inside its device's.
        *arrived = true;
        return arrive(isDevice ? syspath : QFileInfo(syspath).path(), info);
    }
    if (action == "remove" && isDevice) {
        *arrived = false;
        return remove(syspath, info);
    }
    return false;
}

bool UsbDeviceTracker::arrive(const QString& syspath, UsbDeviceInfo* info)
{
    UsbSysfsDevice device;
    if (known_.contains(syspath) || !UsbSysfsDevice::read(syspath, &device)
        || !device.hasVideoControl)
        return false;
    device.info.locationId = UsbLocationId::assign(device.portPath, knownIds());
    known_.insert(syspath, device.info);
    *info = device.info;
    return true;
}

bool UsbDeviceTracker::remove(const QString& syspath, UsbDeviceInfo* info)
{
    if (!known_.contains(syspath))
        return false;
    *info = known_.take(syspath);
    return true;
}

QList<UsbDeviceInfo> UsbDeviceTracker::scan(const QStringList& syspaths) const
{
    QList<UsbDeviceInfo> found;
    QSet<uint32_t> taken = knownIds();
    for (const QString& syspath : syspaths) {
        UsbSysfsDevice device;
        if (!UsbSysfsDevice::read(syspath, &device) || !device.hasVideoControl)
            continue;
        const auto known = known_.constFind(syspath);
        if (known != known_.constEnd() && known->vendorId == device.info.vendorId
            && known->productId == device.info.productId) {
            found << *known;
            continue;
        }
        device.info.locationId = UsbLocationId::assign(device.portPath, taken);
        taken.insert(device.info.locationId);
        found << device.info;
    }
    return found;
}

QSet<uint32_t> UsbDeviceTracker::knownIds() const
{
    QSet<uint32_t> ids;
    for (const UsbDeviceInfo& info : known_)
        ids.insert(info.locationId);
    return ids;
}

} // namespace pc
} // namespace vesk
