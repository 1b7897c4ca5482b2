#pragma once

#include "orlacam/flows/MaintenanceFlow.h"

#include <QPointer>

class UpgradeProgress;

// The firmware upgrade from the cloud: the tips box, whether a newer
// firmware exists, its download, then the upgrade over USB (the upgrade
// thread) or over the network (the camera fetches from the local firmware
// server, which listens only while this flow runs).
class FirmwareUpgradeFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    using MaintenanceFlow::MaintenanceFlow;
    ~FirmwareUpgradeFlow() override;

    void start() override;

private:
    void tellNoDevice();
    void checkVersion();
    void download();
    void onDownloaded(const QString& package);
    void upgradeByUvc(const QString& package);
    void upgradeByNet();
    void onServerListening();
    void watchNetUpgrade(UpgradeProgress* box, int requestResult);
    void onListenFailed(const QString& error);

    QPointer<UpgradeProgress> netBox_;
    bool serverStarted_ = false;
};
