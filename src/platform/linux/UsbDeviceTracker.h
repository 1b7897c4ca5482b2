#pragma once

#include "platform/linux/UsbSysfsDevice.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace vesk {
namespace pc {

// The cameras the hot-plug thread has reported, by sysfs path, with what was
// seen of each at arrival: a removal still carries its location and ids after
// sysfs has forgotten them. Not locked; the backend guards it.
class UsbDeviceTracker
{
public:
    // A udev event on a USB device or interface. Arrivals come as "add" or
    // "bind" of the device or of one of its interfaces (the interfaces may
    // appear after the device's own event); each camera is reported once.
    // True when the event reports a camera: *arrived tells which way.
    bool onEvent(const QByteArray& action, const QByteArray& devtype, const QString& syspath,
                 UsbDeviceInfo* info, bool* arrived);

    bool arrive(const QString& syspath, UsbDeviceInfo* info);
    bool remove(const QString& syspath, UsbDeviceInfo* info);
    void clear() { known_.clear(); }

    // The cameras among these paths as they are now; a reported camera keeps
    // its id, a new one gets an id that none of the others has.
    QList<UsbDeviceInfo> scan(const QStringList& syspaths) const;

private:
    QSet<uint32_t> knownIds() const;

    QHash<QString, UsbDeviceInfo> known_;
};

} // namespace pc
} // namespace vesk
