// Who the camera is, found and kept by its DeviceIdentity part; the camera
// object adds its guards and its mode.

#include "uvc/UvcDevice.h"

#include <QDebug>

namespace vesk {
namespace pc {

QString UvcDevice::safeSerial(const QString& serial)
{
    return DeviceIdentity::safeSerial(serial);
}

DeviceIdentity::NetworkQueries UvcDevice::networkQueries()
{
    DeviceIdentity::NetworkQueries queries;
    queries.version = [this] { return netDevVersion(); };
    queries.uuid = [this] { return netDevUuid(); };
    queries.info = [this] { return netDevInfo(); };
    queries.changeIp = [this](const QString& ip) { return changeIpAddr(ip); };
    return queries;
}

bool UvcDevice::identityQueryAllowed() const
{
    if (!inited_)
        qWarning() << "Device has not been inited";
    return inited_;
}

bool UvcDevice::viaNetwork() const
{
    return devMode() == DevModeNet;
}

QString UvcDevice::getDevVersion()
{
    return identityQueryAllowed() ? identity_.queryDevVersion(viaNetwork()) : QString();
}

QByteArray UvcDevice::getDevUuid()
{
    return identityQueryAllowed() ? identity_.queryDevUuid(viaNetwork()) : QByteArray();
}

QJsonObject UvcDevice::getDevInfo()
{
    return identityQueryAllowed() ? identity_.queryDevInfo(viaNetwork()) : QJsonObject();
}

QString UvcDevice::getDevSn()
{
    return identityQueryAllowed() ? identity_.queryDevSn(viaNetwork()) : QString();
}

bool UvcDevice::initDev()
{
    inited_ = false;  // true only once every step has succeeded
    const DeviceIdentity::InitResult result =
        identity_.initDev(viaNetwork(), devMode() == DevModeUvc ? 1 : 0);
    if (result.systemType >= 0)
        setSystemType(result.systemType);
    inited_ = result.inited;
    return result.inited;
}

int UvcDevice::isUpgradeNeeded(QString& info)
{
    return identity_.isUpgradeNeeded(info);
}

int UvcDevice::getProductType()
{
    return identity_.getProductType();
}

bool UvcDevice::is4K() const
{
    return identity_.is4K();
}

QJsonObject UvcDevice::getDevInfoForServer() const
{
    return identity_.getDevInfoForServer();
}

QString UvcDevice::sn() const { return identity_.identity().sn; }
QByteArray UvcDevice::uuid() const { return identity_.identity().uuid; }
QString UvcDevice::devVersion() const { return identity_.identity().version; }
QString UvcDevice::latestVersion() const { return identity_.identity().latestVersion; }
QJsonObject UvcDevice::devInfo() const { return identity_.identity().info; }
QString UvcDevice::devName() const { return identity_.identity().name; }
QString UvcDevice::ipAddr() const { return identity_.identity().ip; }
int UvcDevice::socVersion() const { return identity_.identity().socVersion; }
int UvcDevice::upgradeNeeded() const { return identity_.identity().upgradeNeeded; }

void UvcDevice::setDevInfo(const QJsonObject& info)
{
    identity_.setDevInfo(info);
}

void UvcDevice::setLatestVersion(const QString& version)
{
    identity_.setLatestVersion(version);
}

} // namespace pc
} // namespace vesk
