#pragma once

#include "platform/UvcRequest.h"

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// One standard control of a simulated camera: its values as the wire carries
// them (little-endian, the control's length).
struct SimControl
{
    UvcUnitKind unit = UvcUnitKind::CameraTerminal;
    uint8_t selector = 0;
    uint8_t info = 0x03;  // GET_INFO: supports GET and SET
    QByteArray min;
    QByteArray max;
    QByteArray res;
    QByteArray def;
    QByteArray cur;
    bool readFails = false;  // GET_CUR stalls: the value cannot be read now

    int length() const { return cur.size(); }

    // Values given as numbers, stored in length little-endian bytes; cur starts at def.
    static SimControl make(UvcUnitKind unit, uint8_t selector, int length, int64_t min,
                           int64_t max, int64_t res, int64_t def);
    static QByteArray le(int64_t value, int length);
};

} // namespace pc
} // namespace vesk
