#include "main/BackendChoice.h"

#include "main/DemoCameras.h"
#include "platform/linux/LinuxBackend.h"
#include "sim/SimBackend.h"

#include <QDebug>

namespace vesk {
namespace pc {

std::unique_ptr<DeviceBackend> BackendChoice::create(const QByteArray& choice, int simRequestLog, DemoPlug plug)
{
    if (choice == "sim") {
        qInfo() << "Device backend: simulated cameras";
        auto sim = std::make_unique<SimBackend>();
        if (plug == DemoPlug::AtCreation)
            plugDemoCameras(*sim, simRequestLog);
        return sim;
    }
    qInfo() << "Device backend: linux (udev, V4L2)";
    return std::make_unique<LinuxBackend>();
}

void BackendChoice::install(int simRequestLog, DemoPlug plug)
{
    // Read on first use, as before, so a test may set the variable late.
    DeviceBackend::setChooser([simRequestLog, plug] {
        return create(qgetenv("ORLACAM_DEVICE_BACKEND"), simRequestLog, plug);
    });
}

// Two cameras of different families, so the window can be tried without
// hardware.
void BackendChoice::plugDemoCameras(DeviceBackend& backend, int simRequestLog)
{
    auto* sim = dynamic_cast<SimBackend*>(&backend);
    if (!sim)
        return;
    for (SimCameraModel demo : DemoCameras::models()) {
        demo.requestLog = simRequestLog;
        sim->plug(demo);
    }
}

} // namespace pc
} // namespace vesk
