#pragma once

#include "orlacam/flows/MaintenanceFlow.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWeakPointer>

// Restoring the camera's factory settings: asked, sent, then a wait in the
// same box. Success is shown only when the camera confirmed the command or,
// when the frame reached it unanswered, once it has left and come back.
class FactoryResetFlow : public MaintenanceFlow
{
    Q_OBJECT
public:
    FactoryResetFlow(FlowHost* host, const QString& sn);

    void start() override;

private:
    // What became of the command.
    enum class Sent { Pending, Confirmed, Unanswered, Failed };

    void restore();
    void onSent(int result);
    void onWaitOver();
    void showOutcome(bool done);
    void awaitLastAnswer();

    MsgInfoUi* box_ = nullptr;
    Sent sent_ = Sent::Pending;
    QWeakPointer<vesk::pc::UvcDevice> asked_;  // the camera object the command went to
    bool sawGone_ = false;
    bool awaiting_ = false;
    bool shown_ = false;
    QTimer timer_;
    QElapsedTimer waited_;
};
