#pragma once

#include "platform/CaptureSession.h"
#include "sim/SimStreamFaults.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace vesk {
namespace pc {

class SimUpgradeService;

// Decides which frames a simulated camera's download stream sends next:
// the service's packets in order, bent by the stream faults. Not
// thread-safe; the camera's lock guards it together with the service.
class SimStreamSource
{
public:
    explicit SimStreamSource(const SimStreamFaults& faults = SimStreamFaults()) { setFaults(faults); }

    SimStreamFaults faults() const { return faults_; }
    // Re-arms the one-time faults.
    void setFaults(const SimStreamFaults& faults);

    // One occupancy check: whether another program holds the stream. A
    // counted check uses up one of the held checks.
    bool held(bool counted);

    // The frames due now (usually one packet) to a capture in this format,
    // advancing the service's cursor; empty while nothing is due, and for a
    // capture of the other stream than the service sends on.
    QList<QByteArray> next(SimUpgradeService& service, CaptureSession::PixelFormat format);
    // Whether the camera is to go now (goneAfterPacket fired); asked once.
    bool takeLeaving();

private:
    QByteArray frameOf(const SimUpgradeService& service, uint32_t seq);

    SimStreamFaults faults_;
    bool dropped_ = false;
    bool swapped_ = false;
    bool corrupted_ = false;
    bool gapped_ = false;
    bool inGap_ = false;
    bool gone_ = false;
    bool leaving_ = false;
    int resendsAtGap_ = 0;
};

} // namespace pc
} // namespace vesk
