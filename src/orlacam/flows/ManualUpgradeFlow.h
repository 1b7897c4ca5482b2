#pragma once

#include "orlacam/flows/MaintenanceFlow.h"

// The upgrade over USB from a package file that the user picks: the
// camera's firmware is taken from it, checked, kept as the store's only one
// and installed. There is no network road.
class ManualUpgradeFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    using MaintenanceFlow::MaintenanceFlow;

    void start() override;

private:
    void pickPackage();
    void onFileChosen(const QString& path);
};
