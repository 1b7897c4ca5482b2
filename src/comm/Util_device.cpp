#include "comm/Util.h"

#include <QDebug>
#include <QDir>
#include <QRegularExpression>

namespace vesk {
namespace pc {

namespace {

// The kernel names each HID device "BBBB:VVVV:PPPP.NNNN" (hex bus, vendor,
// product, instance; the ids are 32-bit in the kernel, so allow up to eight
// digits, and the instance grows past four digits after many re-plugs).
const QRegularExpression& hidEntryPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{4}:([0-9A-Fa-f]{4,8}):([0-9A-Fa-f]{4,8})\\.[0-9A-Fa-f]{4,}$"));
    return pattern;
}

// productId << 16 | vendorId of one entry name; false when it is not a HID
// device name.
bool parseHidEntry(const QString& name, uint32_t* id)
{
    const QRegularExpressionMatch match = hidEntryPattern().match(name);
    if (!match.hasMatch())
        return false;
    const uint32_t vendor = match.capturedRef(1).toUInt(nullptr, 16) & 0xFFFFu;
    const uint32_t product = match.capturedRef(2).toUInt(nullptr, 16) & 0xFFFFu;
    *id = (product << 16) | vendor;
    return true;
}

} // namespace

QList<uint32_t> Util::findHidDevice(const QString& sysfsRoot)
{
    QList<uint32_t> devices;
    const QDir dir(sysfsRoot + QStringLiteral("/bus/hid/devices"));
    if (!dir.exists()) {
        qWarning() << "No HID device list under" << sysfsRoot;
        return devices;
    }
    // The entries are symbolic links; System keeps dangling ones listed too.
    QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    names.sort(Qt::CaseSensitive);
    for (const QString& name : qAsConst(names)) {
        uint32_t id = 0;
        if (parseHidEntry(name, &id))
            devices.append(id);
        else
            qDebug() << "Skipping HID entry" << name;
    }
    return devices;
}

} // namespace pc
} // namespace vesk
