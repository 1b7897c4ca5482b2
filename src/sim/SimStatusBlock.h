#pragma once

#include "sim/SimControl.h"

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// How a simulated camera's status block follows what the host sets: each
// value shows up where the camera's family reports it, by the status
// record's own table; what the family does not report changes nothing.

// A parameter record (selector 6). Records with a data length other than
// the id's change nothing.
void applyParamRecord(const uint8_t* record, int productType, QByteArray& statusBlock);
// The run-status command (3 sleep, 1 resume): the camera reports the state
// it was told.
void applyRunStatus(uint8_t state, int productType, QByteArray& statusBlock);
uint8_t runStateOf(const QByteArray& statusBlock, int productType);
// A standard control's current value: the zoom as its place in the
// control's range (0 to 100), the focus, auto focus and power-line
// frequency (the anti-flicker mode) as they are. Other controls change nothing.
void applyControl(const SimControl& control, int productType, QByteArray& statusBlock);

} // namespace pc
} // namespace vesk
