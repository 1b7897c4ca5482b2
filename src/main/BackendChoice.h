#pragma once

#include "platform/DeviceBackend.h"

#include <QByteArray>

#include <memory>

namespace vesk {
namespace pc {

// Which device backend the program uses: ORLACAM_DEVICE_BACKEND=sim selects
// the simulated cameras; otherwise the platform's own.
class BackendChoice
{
public:
    // When the simulated backend gets its demo cameras: at its creation, or
    // only when plugDemoCameras() is called (the program, once its window is
    // on screen: drawing their pictures takes longer than showing it).
    enum class DemoPlug { AtCreation, Later };

    // The backend a choice names ("sim"; anything else: the platform's own).
    // simRequestLog: the requests each simulated camera keeps (-1: all, for
    // tests to read; the program keeps none).
    static std::unique_ptr<DeviceBackend> create(const QByteArray& choice, int simRequestLog = -1,
                                                 DemoPlug plug = DemoPlug::AtCreation);
    // Makes DeviceBackend::instance() the one the environment names, created
    // on first use.
    static void install(int simRequestLog = -1, DemoPlug plug = DemoPlug::AtCreation);
    // Plugs the demo cameras into a simulated backend; any other is left alone.
    static void plugDemoCameras(DeviceBackend& backend, int simRequestLog = -1);
};

} // namespace pc
} // namespace vesk
