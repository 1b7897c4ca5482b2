#include "comm/Util.h"

#include "comm/CameraRoutes.h"

#include <QDebug>
#include <QHostAddress>
#include <QMutex>
#include <QNetworkInterface>

namespace vesk {
namespace pc {

namespace {

QMutex& sourceMutex()
{
    static QMutex mutex;
    return mutex;
}

std::function<QStringList()>& localIpSource()
{
    static std::function<QStringList()> source;
    return source;
}

QStringList systemIpv4Addresses()
{
    QStringList list;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto entries = iface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                list.append(entry.ip().toString());
        }
    }
    return list;
}

} // namespace

void Util::setLocalIpSource(std::function<QStringList()> source)
{
    QMutexLocker lock(&sourceMutex());
    localIpSource() = std::move(source);
}

QStringList Util::getLocalIpList()
{
    std::function<QStringList()> source;
    {
        QMutexLocker lock(&sourceMutex());
        source = localIpSource();
    }
    // A simulated camera's network exists only as its lent host address.
    return (source ? source() : systemIpv4Addresses()) + CameraRoutes::lentHostAddresses();
}

QStringList Util::getLocalIpSegs()
{
    QStringList segs;
    const QStringList ips = getLocalIpList();
    for (const QString& ip : ips) {
        const QString seg = ip.left(ip.lastIndexOf('.'));
        qDebug().noquote() << "ip =" << seg;
        segs.append(seg);
    }
    return segs;
}

} // namespace pc
} // namespace vesk
