#pragma once

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// What a camera of the Orla family does with a parameter record (selector 6):
// the value shows up in its status block. Records it does not report, and
// records with a data length other than the id's, change nothing.
void applyParamRecord(const uint8_t* record, QByteArray& statusBlock);

} // namespace pc
} // namespace vesk
