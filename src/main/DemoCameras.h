#pragma once

#include "sim/SimCameraModel.h"

#include <QByteArray>
#include <QList>

namespace vesk {
namespace pc {

// The cameras the simulated backend starts with: an awake Orla and a Zuki as
// a user has them (current firmware, the controls' own ranges, a log to
// export, firmware to rebuild for an upgrade), so that every window and
// flow can be tried without hardware.
class DemoCameras
{
public:
    static QList<SimCameraModel> models();
    // A gzip-wrapped tar holding one file, as a camera packs its log.
    static QByteArray tarGz(const QByteArray& name, const QByteArray& content);
};

} // namespace pc
} // namespace vesk
