#pragma once

#include "platform/DeviceBackend.h"
#include "platform/linux/UsbDeviceTracker.h"

#include <QMutex>

#include <thread>

struct udev;
struct udev_monitor;

namespace vesk {
namespace pc {

// Cameras on Linux: libudev for enumeration and hot-plug, sysfs for what each
// device is, V4L2 for talking to it. Given a sysfs root, it enumerates that
// tree instead of asking udev (the tests' fake trees).
class LinuxBackend : public DeviceBackend
{
public:
    explicit LinuxBackend(const QString& sysRoot = QString());
    ~LinuxBackend() override;

    QList<UsbDeviceInfo> devices() const override;
    bool findDevice(uint32_t locationId, UsbDeviceInfo* info) const override;
    QSharedPointer<CameraHandle> openDevice(uint32_t locationId) override;
    bool startHotPlug(HotPlugListener listener) override;
    void stopHotPlug() override;

private:
    QStringList devicePaths() const;
    bool openMonitor();
    void closeMonitor();
    void runHotPlug();
    void reportAttached();
    void receiveEvent();
    void report(const UsbDeviceInfo& device, bool arrived);

    const QString sysRoot_;
    mutable QMutex mutex_;  // tracker_
    UsbDeviceTracker tracker_;
    HotPlugListener listener_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int stopFd_ = -1;
    std::thread thread_;
};

} // namespace pc
} // namespace vesk
