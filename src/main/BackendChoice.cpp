#include "main/BackendChoice.h"

#include "platform/linux/LinuxBackend.h"
#include "platform/sim/SimBackend.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

// An awake Orla and a Zuki, on the USB ids the camera registry accepts.
QList<SimCameraModel> demoCameras()
{
    SimCameraModel orla;
    orla.usb = {QStringLiteral("sim-orla"), 0x14100000, 0x3564, 0xFEF2, 0xEF, 0x02};
    orla.statusBlock[2] = 1;  // running
    orla.statusBlock[8] = 50;  // zoom half way

    SimCameraModel zuki;
    zuki.usb = {QStringLiteral("sim-zuki"), 0x14200000, 0x3564, 0xFEF2, 0xEF, 0x02};
    zuki.name = QStringLiteral("Zuki");
    zuki.productIndex = 2;  // "Kestro_zuki_2P" on the SSC336Q: a Zuki
    zuki.serial = QByteArray("ZK22A0000002\0\0", 14);
    zuki.uuid = QByteArray::fromHex("4b4553545230315a554b49000000000000000000a1b2c3d5");
    return {orla, zuki};
}

} // namespace

std::unique_ptr<DeviceBackend> BackendChoice::create(const QByteArray& choice)
{
    if (choice == "sim") {
        qInfo() << "Device backend: simulated cameras";
        auto sim = std::make_unique<SimBackend>();
        // Two cameras of different families, so the window can be tried
        // without hardware.
        for (const SimCameraModel& demo : demoCameras())
            sim->plug(demo);
        return sim;
    }
    qInfo() << "Device backend: linux (udev, V4L2)";
    return std::make_unique<LinuxBackend>();
}

void BackendChoice::install()
{
    // Read on first use, as before, so a test may set the variable late.
    DeviceBackend::setChooser([] { return create(qgetenv("ORLACAM_DEVICE_BACKEND")); });
}

} // namespace pc
} // namespace vesk
