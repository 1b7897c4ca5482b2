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

    // The process's backend, chosen once: ORLACAM_DEVICE_BACKEND=sim selects the
    // simulated cameras; otherwise the platform's own.
    static DeviceBackend& instance();
    // The backend a choice names ("sim"; anything else: the platform's own).
    static std::unique_ptr<DeviceBackend> create(const QByteArray& choice);
};

} // namespace pc
} // namespace vesk
