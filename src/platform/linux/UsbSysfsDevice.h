#pragma once

#include "platform/UsbDeviceInfo.h"

#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// One USB device as its sysfs directory describes it. Reads plain files, so
// a test can point it at a tree of its own instead of /sys.
struct UsbSysfsDevice
{
    QString syspath;             // the device's directory
    QString portPath;            // its name there, e.g. "1-2.3"
    UsbDeviceInfo info;          // key = syspath; the location id is the tracker's
    bool hasVideoControl = false;  // an interface of class 14, subclass 1

    // False for what is no USB device (root hubs, interfaces) or cannot be read.
    static bool read(const QString& syspath, UsbSysfsDevice* device);
    // The USB devices listed under sysRoot + "/bus/usb/devices".
    static QStringList devicePaths(const QString& sysRoot);
    // The V4L2 capture node's name ("video0") among the device's nodes: the
    // one with index 0 (uvcvideo adds its metadata node as index 1). Empty
    // while the driver has not created it.
    static QString captureNodeName(const QString& syspath);
};

} // namespace pc
} // namespace vesk
