#pragma once

#include "platform/CaptureSession.h"
#include "sim/SimStreamFaults.h"

#include <QList>

namespace vesk {
namespace pc {

// The video side of a simulated camera: whether it has a capture at all,
// the formats it offers, and the faults of its download stream.
struct SimStreamModel
{
    bool hasCapture = true;
    QList<CaptureSession::Format> formats = CaptureSession::streamFormats();
    SimStreamFaults faults;
};

} // namespace pc
} // namespace vesk
