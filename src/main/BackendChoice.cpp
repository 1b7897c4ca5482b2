#include "main/BackendChoice.h"

#include "main/DemoCameras.h"
#include "platform/linux/LinuxBackend.h"
#include "sim/SimBackend.h"

#include <QDebug>

namespace vesk {
namespace pc {

std::unique_ptr<DeviceBackend> BackendChoice::create(const QByteArray& choice)
{
    if (choice == "sim") {
        qInfo() << "Device backend: simulated cameras";
        auto sim = std::make_unique<SimBackend>();
        // Two cameras of different families, so the window can be tried
        // without hardware.
        for (const SimCameraModel& demo : DemoCameras::models())
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
