#include "platform/linux/UsbLocationId.h"

#include <QStringList>

namespace vesk {
namespace pc {

namespace {

constexpr uint32_t kFallbackMask = 0xFFFFF;  // below the first port nibble

uint32_t hashOf(const QString& text)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : text.toLatin1()) {
        hash ^= uint8_t(c);
        hash *= 16777619u;
    }
    return (hash ^ (hash >> 20)) & kFallbackMask;
}

bool parseNumber(const QString& text, int* value)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < 0 || text.startsWith('+') || text.startsWith('-'))
        return false;
    *value = number;
    return true;
}

} // namespace

bool UsbLocationId::parsePortPath(const QString& name, int* bus, QVector<int>* ports)
{
    const int dash = name.indexOf('-');
    if (dash <= 0 || name.contains(':'))
        return false;
    int busNumber = 0;
    if (!parseNumber(name.left(dash), &busNumber))
        return false;
    QVector<int> path;
    for (const QString& part : name.mid(dash + 1).split('.')) {
        int port = 0;
        if (!parseNumber(part, &port))
            return false;
        path << port;
    }
    *bus = busNumber;
    *ports = path;
    return true;
}

uint32_t UsbLocationId::fromPorts(int bus, const QVector<int>& ports)
{
    if (bus < 0 || bus > 0xFF || ports.isEmpty() || ports.size() > kMaxDepth)
        return 0;
    uint32_t id = uint32_t(bus) << 24;
    int shift = 20;
    for (int port : ports) {
        if (port < 1 || port > 0xF)
            return 0;
        id |= uint32_t(port) << shift;
        shift -= 4;
    }
    return id;
}

uint32_t UsbLocationId::assign(const QString& portPath, const QSet<uint32_t>& taken)
{
    int bus = 0;
    QVector<int> ports;
    if (!parsePortPath(portPath, &bus, &ports))
        return 0;
    const uint32_t id = fromPorts(bus, ports);
    if (id != 0)
        return id;
    const uint32_t busByte = uint32_t(qMin(bus, 0xFF)) << 24;
    uint32_t low = hashOf(portPath);
    for (uint32_t tries = 0; tries <= kFallbackMask; ++tries) {
        if (low == 0)
            low = 1;
        if (!taken.contains(busByte | low))
            return busByte | low;
        low = (low + 1) & kFallbackMask;
    }
    return 0;  // a million devices on one bus: not on this planet
}

} // namespace pc
} // namespace vesk
