#pragma once

#include "orlacam/flows/MaintenanceFlow.h"

// The update of this program: asked, a folder chosen, the package
// downloaded there and handed to the desktop's opener. The program quits
// only once the opener started; otherwise the user learns where the package
// is and the program stays.
class SoftwareUpdateFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    SoftwareUpdateFlow(FlowHost* host, const QString& version, const QString& notes);

    void start() override;

private:
    void chooseFolder();
    void onFolderChosen(const QString& folder);
    void openPackage(const QString& path);

    QString version_;
    QString notes_;
};
