#include "platform/linux/UsbSysfsDevice.h"

#include "platform/linux/UsbLocationId.h"

#include <QDir>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

constexpr int kVideoClass = 0x0E;
constexpr int kVideoControlSubClass = 0x01;
constexpr qint64 kAttributeLimit = 64;  // sysfs attributes here are a line each

// One attribute file as a number; -1 when absent or not a number.
int64_t attribute(const QString& dir, const char* name, int base)
{
    QFile file(dir + '/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const int64_t value = file.read(kAttributeLimit).trimmed().toLongLong(&ok, base);
    return ok && value >= 0 ? value : -1;
}

bool isVideoControl(const QString& interfaceDir)
{
    return attribute(interfaceDir, "bInterfaceClass", 16) == kVideoClass
           && attribute(interfaceDir, "bInterfaceSubClass", 16) == kVideoControlSubClass;
}

QStringList interfaceDirs(const QString& syspath, const QString& portPath)
{
    QStringList dirs;
    const QDir dir(syspath);
    for (const QString& name : dir.entryList({portPath + ":*"}, QDir::Dirs | QDir::NoDotAndDotDot))
        dirs << dir.filePath(name);
    return dirs;
}

} // namespace

bool UsbSysfsDevice::read(const QString& syspath, UsbSysfsDevice* device)
{
    const QString name = QFileInfo(syspath).fileName();
    int bus = 0;
    QVector<int> ports;
    if (!UsbLocationId::parsePortPath(name, &bus, &ports))
        return false;
    const int64_t vendor = attribute(syspath, "idVendor", 16);
    const int64_t product = attribute(syspath, "idProduct", 16);
    const int64_t deviceClass = attribute(syspath, "bDeviceClass", 16);
    const int64_t subClass = attribute(syspath, "bDeviceSubClass", 16);
    if (vendor < 0 || vendor > 0xFFFF || product < 0 || product > 0xFFFF || deviceClass < 0
        || deviceClass > 0xFF || subClass < 0 || subClass > 0xFF)
        return false;

    UsbSysfsDevice found;
    found.syspath = syspath;
    found.portPath = name;
    found.info.key = syspath;
    found.info.vendorId = uint16_t(vendor);
    found.info.productId = uint16_t(product);
    found.info.deviceClass = uint8_t(deviceClass);
    found.info.deviceSubClass = uint8_t(subClass);
    for (const QString& dir : interfaceDirs(syspath, name))
        found.hasVideoControl = found.hasVideoControl || isVideoControl(dir);
    *device = found;
    return true;
}

QStringList UsbSysfsDevice::devicePaths(const QString& sysRoot)
{
    const QDir dir(sysRoot + "/bus/usb/devices");
    QStringList paths;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!name.contains(':'))
            paths << dir.filePath(name);
    }
    return paths;
}

QString UsbSysfsDevice::captureNodeName(const QString& syspath)
{
    const QString portPath = QFileInfo(syspath).fileName();
    for (const QString& dir : interfaceDirs(syspath, portPath)) {
        const QDir nodes(dir + "/video4linux");
        for (const QString& node : nodes.entryList({"video*"}, QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (attribute(nodes.filePath(node), "index", 10) == 0)
                return node;
        }
    }
    return {};
}

} // namespace pc
} // namespace vesk
