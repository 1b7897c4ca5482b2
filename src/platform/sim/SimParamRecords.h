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

} // namespace pc
} // namespace vesk
