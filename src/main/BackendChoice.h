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
    // The backend a choice names ("sim"; anything else: the platform's own).
    // simRequestLog: the requests each simulated camera keeps (-1: all, for
    // tests to read; the program keeps none).
    static std::unique_ptr<DeviceBackend> create(const QByteArray& choice, int simRequestLog = -1);
    // Makes DeviceBackend::instance() the one the environment names, created
    // on first use.
    static void install(int simRequestLog = -1);
};

} // namespace pc
} // namespace vesk
