#pragma once

#include "platform/DeviceBackend.h"

namespace vesk {
namespace pc {

// A backend that finds no camera: the default until the platform's own exists.
class EmptyBackend : public DeviceBackend
{
public:
    QList<UsbDeviceInfo> devices() const override { return {}; }
    bool findDevice(uint32_t, UsbDeviceInfo*) const override { return false; }
    QSharedPointer<CameraHandle> openDevice(uint32_t) override { return {}; }
    bool startHotPlug(HotPlugListener) override { return true; }
    void stopHotPlug() override {}
};

} // namespace pc
} // namespace vesk
