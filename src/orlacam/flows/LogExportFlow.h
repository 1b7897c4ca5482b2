#pragma once

#include "orlacam/flows/MaintenanceFlow.h"

#include <QElapsedTimer>
#include <QTimer>

namespace vesk {
namespace pc {
class UvcPatchUpgrade;
} // namespace pc
} // namespace vesk

// The export of the camera's log archive: over USB by the camera's log task,
// or over the network once the camera has switched to network mode. One box
// stays on screen and changes its text; its Yes ends the flow.
class LogExportFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    LogExportFlow(FlowHost* host, const QString& sn);
    ~LogExportFlow() override;

    void start() override;

private:
    void showBox();
    void extractLogByUvc();
    void onTaskReport(int value, const QString& message);
    void extractLogByNet();
    void awaitNetMode(int switchResult);
    void pollNetMode();
    void fetchByNet();
    void showFetched(int result, const QString& archive);
    void showOutcome(const QString& message, const QString& archive = QString());

    MsgInfoUi* box_ = nullptr;
    vesk::pc::UvcPatchUpgrade* task_ = nullptr;  // owned
    QString netAddress_;
    bool rebootOnAnswer_ = false;
    QTimer pollTimer_;
    QElapsedTimer waited_;
};
