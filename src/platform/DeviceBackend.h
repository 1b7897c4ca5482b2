#pragma once

#include "platform/CameraHandle.h"
#include "platform/UsbDeviceInfo.h"

#include <QList>
#include <QSharedPointer>

#include <functional>
#include <memory>

namespace vesk {
namespace pc {

// Enumeration, hot-plug and opening of USB cameras on one platform.
class DeviceBackend
{
public:
    using HotPlugListener = std::function<void(const UsbDeviceInfo& device, bool arrived)>;

    virtual ~DeviceBackend() = default;

    virtual QList<UsbDeviceInfo> devices() const = 0;
    virtual bool findDevice(uint32_t locationId, UsbDeviceInfo* info) const = 0;
    // Null when no such device is attached.
    virtual QSharedPointer<CameraHandle> openDevice(uint32_t locationId) = 0;

    // Reports every attached device as an arrival, then arrivals and removals
    // until stopHotPlug.
    virtual bool startHotPlug(HotPlugListener listener) = 0;
    virtual void stopHotPlug() = 0;

    using Chooser = std::function<std::unique_ptr<DeviceBackend>()>;

    // The process's backend, made once on first use by the chooser; without
    // one, a backend that finds no camera.
    static DeviceBackend& instance();
    // Set before the first instance(): the program sets it at start, because
    // the concrete backends sit above these interfaces.
    static void setChooser(Chooser chooser);
};

} // namespace pc
} // namespace vesk
