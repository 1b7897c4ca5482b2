#include "platform/DeviceBackend.h"

#include "platform/EmptyBackend.h"
#include "platform/sim/SimBackend.h"

#include <QDebug>

namespace vesk {
namespace pc {

std::unique_ptr<DeviceBackend> DeviceBackend::create(const QByteArray& choice)
{
    if (choice == "sim") {
        qInfo() << "Device backend: simulated cameras";
        auto sim = std::make_unique<SimBackend>();
        SimCameraSpec demo;  // something to look at without a camera
        demo.usb.vendorId = 0x3564;  // ids the camera registry accepts
        demo.usb.productId = 0xFEF2;
        sim->plug(demo);
        return sim;
    }
    qInfo() << "Device backend: none (no platform backend yet)";
    return std::make_unique<EmptyBackend>();
}

DeviceBackend& DeviceBackend::instance()
{
    static const std::unique_ptr<DeviceBackend> backend = create(qgetenv("ORLACAM_DEVICE_BACKEND"));
    return *backend;
}

} // namespace pc
} // namespace vesk
