#pragma once

#include "platform/DeviceBackend.h"
#include "platform/sim/SimCamera.h"

#include <QList>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSharedPointer>

namespace vesk {
namespace pc {

// Simulated cameras behind the backend interface; plug and unplug are plain
// calls, and hot-plug listeners hear of them on the calling thread.
class SimBackend : public DeviceBackend
{
public:
    QSharedPointer<SimCamera> plug(const SimCameraModel& model);
    bool unplug(uint32_t locationId);
    QSharedPointer<SimCamera> camera(uint32_t locationId) const;

    QList<UsbDeviceInfo> devices() const override;
    bool findDevice(uint32_t locationId, UsbDeviceInfo* info) const override;
    QSharedPointer<CameraHandle> openDevice(uint32_t locationId) override;
    bool startHotPlug(HotPlugListener listener) override;
    void stopHotPlug() override;

private:
    void notify(const UsbDeviceInfo& device, bool arrived);

    mutable QMutex mutex_;
    QList<QSharedPointer<SimCamera>> cameras_;
    HotPlugListener listener_;
    // Held while a listener runs, so that stopHotPlug returns only when no
    // report can reach the listener's owner any more.
    QRecursiveMutex notifyMutex_;
};

} // namespace pc
} // namespace vesk
