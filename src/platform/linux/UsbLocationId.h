#pragma once

#include <QSet>
#include <QString>
#include <QVector>

#include <cstdint>

namespace vesk {
namespace pc {

// Location ids in the form the camera link keeps them: the bus number in the
// top byte, then one nibble per hub port from the root hub down. The same
// port always gives the same id, so a camera that restarts is found again.
class UsbLocationId
{
public:
    static constexpr int kMaxDepth = 6;

    // "1-2.3.1" → bus 1, ports 2, 3, 1. False for root hubs ("usb1"),
    // interfaces ("1-2:1.0") and anything malformed.
    static bool parsePortPath(const QString& name, int* bus, QVector<int>* ports);
    // 0 when the path does not fit: bus above 255, a port above 15 or 0,
    // more than kMaxDepth levels.
    static uint32_t fromPorts(int bus, const QVector<int>& ports);
    // The id of the device named by its port path. A path that does not fit
    // gets an id of a form the nibble ids never take (first port nibble 0,
    // lower bits from a hash of the path), moved on until no id in `taken`
    // has it. 0 for a name that is no port path.
    static uint32_t assign(const QString& portPath, const QSet<uint32_t>& taken);
};

} // namespace pc
} // namespace vesk
