// The camera's network-mode services, run by its NetworkCalls part; the
// camera object adds its guards, its mode and the camera's address.

#include "uvc/UvcDevice.h"

#include <QDebug>

namespace vesk {
namespace pc {

QString UvcDevice::netDevVersion()
{
    return network_.netDevVersion(ipAddr());
}

QByteArray UvcDevice::netDevUuid()
{
    return network_.netDevUuid(ipAddr());
}

QJsonObject UvcDevice::netDevInfo()
{
    return network_.netDevInfo(ipAddr());
}

int UvcDevice::reqDevChangeIpAddr(const QString& ip)
{
    if (!identityQueryAllowed())
        return -1;
    return changeIpAddr(ip);
}

int UvcDevice::changeIpAddr(const QString& ip)
{
    return network_.changeIpAddr(ip, viaNetwork(), ipAddr());
}

int UvcDevice::reqDevUpgrade()
{
    if (!identityQueryAllowed())
        return -1;
    const DevMode mode = devMode();
    return network_.reqDevUpgrade(ipAddr(), mode == DevModeNet, mode == DevModeUvcUpgrade);
}

bool UvcDevice::reqDevReboot()
{
    if (!viaNetwork()) {
        qWarning() << "Only supported in net mode";
        return false;
    }
    return network_.reqDevReboot(ipAddr());
}

QString UvcDevice::lastLogFile() const
{
    return network_.lastLogFile();
}

int UvcDevice::getDevLogFile()
{
    if (!identityQueryAllowed())
        return -1;
    if (!viaNetwork()) {
        qWarning() << "Only supported in net mode";
        return -1;
    }
    return network_.getDevLogFile(ipAddr(), uuid());
}

} // namespace pc
} // namespace vesk
