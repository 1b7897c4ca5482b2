#include "comm/CameraRoutes.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

QMutex& routesMutex()
{
    static QMutex mutex;
    return mutex;
}

// Loopback ports by camera address.
QHash<QString, quint16>& loopbackPorts()
{
    static QHash<QString, quint16> ports;
    return ports;
}

} // namespace

void CameraRoutes::serveOnLoopback(const QString& cameraIp, quint16 port)
{
    QMutexLocker lock(&routesMutex());
    loopbackPorts().insert(cameraIp, port);
}

// A camera served at the same address since (after a reboot) keeps its route.
void CameraRoutes::endLoopback(const QString& cameraIp, quint16 port)
{
    QMutexLocker lock(&routesMutex());
    if (loopbackPorts().value(cameraIp) == port)
        loopbackPorts().remove(cameraIp);
}

QStringList CameraRoutes::lentHostAddresses()
{
    QMutexLocker lock(&routesMutex());
    QStringList hosts;
    for (const QString& cameraIp : loopbackPorts().keys())
        hosts << cameraIp.left(cameraIp.lastIndexOf(QLatin1Char('.'))) + QLatin1String(".20");
    return hosts;
}

CameraRoutes::Endpoint CameraRoutes::reach(const QString& cameraIp, quint16 port)
{
    QMutexLocker lock(&routesMutex());
    const auto served = loopbackPorts().constFind(cameraIp);
    if (served == loopbackPorts().constEnd())
        return {cameraIp, port};
    return {QStringLiteral("127.0.0.1"), served.value()};
}

} // namespace pc
} // namespace vesk
