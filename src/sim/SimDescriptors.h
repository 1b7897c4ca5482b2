#pragma once

#include "sim/SimCameraModel.h"

#include <QByteArray>

namespace vesk {
namespace pc {

// The class-specific video-control descriptors a camera of this record would
// report: header, camera input terminal, processing unit, extension unit and
// output terminal, with the record's unit ids and control bitmaps.
QByteArray simControlDescriptors(const SimCameraModel& model);

} // namespace pc
} // namespace vesk
