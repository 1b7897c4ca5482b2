#pragma once

#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// How this computer reaches a camera in network mode. A camera brings up a
// point-to-point network with it: the host side of the camera's subnet
// (".20") becomes an address of this computer, and the camera's services
// answer at its own address. A simulated camera brings up no network: its
// backend serves it on loopback, and lends its subnet's host address while
// it does, so that the address pool sees the camera's network come and go.
class CameraRoutes
{
public:
    struct Endpoint
    {
        QString host;
        quint16 port = 0;
    };

    // The camera at cameraIp is served on this loopback port from now on,
    // until the service on that port ends.
    static void serveOnLoopback(const QString& cameraIp, quint16 port);
    static void endLoopback(const QString& cameraIp, quint16 port);
    // The host addresses lent for the cameras served on loopback.
    static QStringList lentHostAddresses();
    // Where the camera at cameraIp is reached for its service at port.
    static Endpoint reach(const QString& cameraIp, quint16 port);
};

} // namespace pc
} // namespace vesk
