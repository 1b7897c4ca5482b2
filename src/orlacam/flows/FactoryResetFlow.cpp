#include "orlacam/flows/FactoryResetFlow.h"

#include "comm/GlobalParams.h"
#include "orlacam/flows/FlowHost.h"
#include "uicomm/MsgInfoUi.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QDebug>

using vesk::pc::UvcDevice;

FactoryResetFlow::FactoryResetFlow(FlowHost* host, const QString& sn) : MaintenanceFlow(host, sn)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FactoryResetFlow::onWaitOver);
}

void FactoryResetFlow::start()
{
    if (!device()) {
        finish();
        return;
    }
    box_ = newBox(text(QT_TRANSLATE_NOOP("MainUserUi", "Restore Factory Settings")),
                  text(QT_TRANSLATE_NOOP("MainUserUi", "Do you want to reset all settings immediately?")));
    box_->addButton(QMessageBox::Yes | QMessageBox::No);
    box_->keepOpen = true;
    ask(box_, [this](int answer) {
        if (answer != QMessageBox::Yes) {
            finish();
            return;
        }
        restore();
    });
}

void FactoryResetFlow::restore()
{
    const QSharedPointer<UvcDevice> dev = device();
    if (!dev) {
        showOutcome(false);
        return;
    }
    asked_ = dev;
    box_->setText(text(QT_TRANSLATE_NOOP("MainUserUi", "Device is restoring the factory settings, please waiting...")));
    box_->setButtonState(QMessageBox::Yes, false);
    box_->removeButton(QMessageBox::No);
    awaitLastAnswer();
    waited_.start();
    timer_.start(timing().restoreWaitMs);
    // The camera's answer may take a resend: away from the window's thread.
    callCamera([](UvcDevice& camera) { return camera.cameraRestoreFactorySettings(); },
               [this](int result) { onSent(result); });
}

void FactoryResetFlow::onSent(int result)
{
    sent_ = result == UvcDevice::kResetConfirmed   ? Sent::Confirmed
            : result == UvcDevice::kResetUnanswered ? Sent::Unanswered
                                                    : Sent::Failed;
    qInfo() << "Factory reset of" << sn() << "sent, result" << result;
    if (sent_ == Sent::Failed)
        showOutcome(false);
}

// Success needs the camera's confirmation, or the camera back after leaving
// (a camera object other than the one asked is a camera that came back).
void FactoryResetFlow::onWaitOver()
{
    if (shown_)
        return;
    const QSharedPointer<UvcDevice> dev = vesk::pc::UvcDevices::get().getDevBySn(sn());
    sawGone_ = sawGone_ || !dev || asked_.toStrongRef() != dev;
    const bool back = dev && dev->isInited()
                      && (sent_ == Sent::Confirmed || (sent_ == Sent::Unanswered && sawGone_));
    if (back) {
        showOutcome(true);
        return;
    }
    if (waited_.elapsed() >= timing().resetComeBackMs) {
        showOutcome(false);
        return;
    }
    timer_.start(timing().resetPollMs);
}

void FactoryResetFlow::showOutcome(bool done)
{
    if (shown_)
        return;
    shown_ = true;
    timer_.stop();
    if (done)
        vesk::pc::GlobalParams::get().setDevFocusMode(1, sn());
    box_->setText(done ? text(QT_TRANSLATE_NOOP("MainUserUi", "Factory reset successfully!"))
                       : text(QT_TRANSLATE_NOOP("MainUserUi", "Factory reset failed, please try again later!")));
    box_->setButtonState(QMessageBox::Yes, true);
    box_->removeButton(QMessageBox::No);
    box_->keepOpen = false;
    FlowHost* win = host();
    if (done && win && win->currentSn() == sn())
        win->onCurrDevStateRefresh();
    awaitLastAnswer();
}

void FactoryResetFlow::awaitLastAnswer()
{
    if (awaiting_)
        return;
    awaiting_ = true;
    ask(box_, [this](int) { finish(); });
}
