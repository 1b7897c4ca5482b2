#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>

namespace vesk {
namespace pc {

// Who a camera is: version, uuid, serial number, device information and
// product type, the initialisation that gathers them, and the upgrade
// question. Frames go through the message port; in network mode the queries
// go to the camera's HTTP services through the given functions. The camera
// object keeps the guards and its mode, and says at each call whether the
// camera is reached over the network.
class DeviceIdentity
{
public:
    struct Identity
    {
        QString name;
        QString ip;
        QString version;
        QString latestVersion;
        QString sn;
        QByteArray uuid;
        QJsonObject info;
        int socVersion = 0;
        int upgradeNeeded = 2;
    };

    // The network-mode services that initialisation uses.
    struct NetworkQueries
    {
        std::function<QString()> version;
        std::function<QByteArray()> uuid;
        std::function<QJsonObject()> info;
        std::function<int(const QString&)> changeIp;  // 0 or -1
    };

    // What initialisation found; systemType is -1 when it ended before the
    // device information was asked for.
    struct InitResult
    {
        bool inited = false;
        int systemType = -1;
    };

    DeviceIdentity(MessagePort& channel, ControlPort& control, NetworkQueries network);

    // One query each; empty on failure.
    QString queryDevVersion(bool network);
    QByteArray queryDevUuid(bool network);
    QJsonObject queryDevInfo(bool network);
    QString queryDevSn(bool network);

    // Every step, in order. fallbackSystemType is taken when the camera
    // reports none of the two systems.
    InitResult initDev(bool network, int fallbackSystemType);

    // 1 newer firmware exists, 0 up to date, 2 latest version unknown.
    int isUpgradeNeeded(QString& info);
    int getProductType();
    bool is4K() const;
    QJsonObject getDevInfoForServer() const;

    Identity identity() const;
    void setDevInfo(const QJsonObject& info);
    void setLatestVersion(const QString& version);

    // The serial number as it may appear in a name or a path: letters,
    // digits, '-' and '_' only.
    static QString safeSerial(const QString& serial);

private:
    bool queryIdentity(uint16_t command, QByteArray* data);
    bool waitForNetAddress();
    bool takeIdentity(const QByteArray& uuid, const QString& version, const QJsonObject& info,
                      bool network);

    MessagePort& channel_;
    ControlPort& control_;
    const NetworkQueries network_;
    std::atomic<int> productType_;
    mutable QMutex mutex_;
    Identity identity_;
};

} // namespace pc
} // namespace vesk
