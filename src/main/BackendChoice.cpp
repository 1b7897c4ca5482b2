#include "main/BackendChoice.h"

#include "main/DemoCameras.h"
#include "platform/linux/LinuxBackend.h"
#include "sim/SimBackend.h"

#include <QDebug>

namespace vesk {
namespace pc {

std::unique_ptr<DeviceBackend> BackendChoice::create(const QByteArray& choice, int simRequestLog)
{
    if (choice == "sim") {
        qInfo() << "Device backend: simulated cameras";
        auto sim = std::make_unique<SimBackend>();
        // Two cameras of different families, so the window can be tried
        // without hardware.
        for (SimCameraModel demo : DemoCameras::models()) {
            demo.requestLog = simRequestLog;
            sim->plug(demo);
        }
        return sim;
    }
    qInfo() << "Device backend: linux (udev, V4L2)";
    return std::make_unique<LinuxBackend>();
}

void BackendChoice::install(int simRequestLog)
{
    // Read on first use, as before, so a test may set the variable late.
    DeviceBackend::setChooser(
        [simRequestLog] { return create(qgetenv("ORLACAM_DEVICE_BACKEND"), simRequestLog); });
}

} // namespace pc
} // namespace vesk
