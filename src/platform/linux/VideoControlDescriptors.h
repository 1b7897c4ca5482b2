#pragma once

#include <QByteArray>
#include <QString>

namespace vesk {
namespace pc {

// The video-control interface found in a device's raw descriptors, as the
// sysfs file "descriptors" holds them: the device descriptor, then each
// configuration with its interfaces.
struct VideoControlDescriptors
{
    int interfaceNumber = -1;
    QByteArray classSpecific;  // the class-specific descriptors, header first

    // The first interface of class 14, subclass 1, alternate setting 0, and
    // the class-specific descriptors that directly follow it. Untrusted bytes:
    // the walk ends at a descriptor that is too short or runs past the end.
    static bool find(const QByteArray& raw, VideoControlDescriptors* found);
    static bool readFile(const QString& syspath, VideoControlDescriptors* found);
};

} // namespace pc
} // namespace vesk
