#pragma once

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// What a camera does with a parameter record (selector 6): the value shows up
// in its status block where the camera's family reports it, by the status
// record's own table. Records the family does not report, and records with a
// data length other than the id's, change nothing.
void applyParamRecord(const uint8_t* record, int productType, QByteArray& statusBlock);
// What the run-status command (3 sleep, 1 resume) does: the camera reports
// the state it was told where its family keeps the run state.
void applyRunStatus(uint8_t state, int productType, QByteArray& statusBlock);

} // namespace pc
} // namespace vesk
