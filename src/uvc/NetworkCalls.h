#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>

namespace vesk {
namespace pc {

// A camera in network mode: its own HTTP server answers the identity queries
// and the address change, upgrade, log download and reboot requests. In the
// other modes the address change and the upgrade request are protocol frames
// on the message port. A time-out, a broken reply or a status other than 200
// is a failure. The camera object keeps the guards and its mode, and gives
// the camera's address at each call.
class NetworkCalls
{
public:
    NetworkCalls(MessagePort& channel, ControlPort& control);

    // Identity queries to the camera at cameraIp; empty on failure.
    QString netDevVersion(const QString& cameraIp);
    QByteArray netDevUuid(const QString& cameraIp);
    QJsonObject netDevInfo(const QString& cameraIp);

    // The camera's new address: over HTTP to cameraIp when network, else as
    // a frame. 0 or -1.
    int changeIpAddr(const QString& ip, bool network, const QString& cameraIp);
    // Points the camera at this computer's upgrade server; upgradeSystem
    // sends the frame directly, as the camera's upgrade system expects. 0 or -1.
    int reqDevUpgrade(const QString& cameraIp, bool network, bool upgradeSystem);
    // Whether the request could start.
    bool reqDevReboot(const QString& cameraIp);
    // Stores the camera's log archive under {data}/log, named by the camera
    // or by its uuid; 0 or -1, and a failed download leaves no file.
    int getDevLogFile(const QString& cameraIp, const QByteArray& uuid);
    QString lastLogFile() const;  // path of the last stored archive

private:
    QJsonObject queryNetInfo(const char* operation, const QString& cameraIp);
    int postJsonRequest(const char* operation, const char* path, const QJsonObject& body,
                        const QString& cameraIp);

    MessagePort& channel_;
    ControlPort& control_;
    mutable QMutex logFileMutex_;
    QString lastLogFile_;
};

} // namespace pc
} // namespace vesk
