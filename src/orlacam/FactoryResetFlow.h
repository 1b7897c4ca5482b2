#pragma once

#include "orlacam/MaintenanceFlow.h"

#include <QElapsedTimer>
#include <QTimer>

// Restoring the camera's factory settings: asked, sent, then a wait in the
// same box. Success is shown only when the camera confirmed the command or,
// when it dropped off while resetting, once it is back.
class FactoryResetFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    FactoryResetFlow(MainUserUi* window, const QString& sn);

    void start() override;

private:
    void restore();
    void onWaitOver();
    void showOutcome(bool done);
    void awaitLastAnswer();

    MsgInfoUi* box_ = nullptr;
    bool confirmed_ = false;
    bool sawGone_ = false;
    bool awaiting_ = false;
    QTimer timer_;
    QElapsedTimer waited_;
};
