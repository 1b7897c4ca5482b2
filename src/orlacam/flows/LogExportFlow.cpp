#include "orlacam/flows/LogExportFlow.h"

#include "comm/GlobalParams.h"
#include "orlacam/flows/FlowHost.h"
#include "uicomm/MsgInfoUi.h"
#include "orlacam/flows/UvcUpgradeProgress.h"
#include "upgrade/UvcPatchUpgrade.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QDebug>
#include <QDir>

#include <memory>

using vesk::pc::UvcDevice;
using vesk::pc::UvcPatchUpgrade;

LogExportFlow::LogExportFlow(FlowHost* host, const QString& sn) : MaintenanceFlow(host, sn)
{
    pollTimer_.setSingleShot(true);
}

LogExportFlow::~LogExportFlow()
{
    UvcUpgradeProgress::releaseTask(task_);
}

void LogExportFlow::start()
{
    if (!device()) {
        finish();
        return;
    }
    if (vesk::pc::GlobalParams::get().upgrade_method == 0)
        askTips(true, [this] { extractLogByUvc(); });
    else
        extractLogByNet();
}

void LogExportFlow::showBox()
{
    box_ = newBox(text(QT_TRANSLATE_NOOP("MainUserUi", "Extracting Log")),
                  text(QT_TRANSLATE_NOOP("MainUserUi", "Please wait and keep the device connected!")));
    box_->setButtonState(QMessageBox::Yes, false);
    ask(box_, [this](int) {
        // The network road reboots the camera once the user has read the outcome.
        if (!rebootOnAnswer_) {
            finish();
            return;
        }
        callCamera([](UvcDevice& dev) { return dev.reqDevReboot(); }, [this](int) { finish(); });
    });
}

void LogExportFlow::extractLogByUvc()
{
    if (!device()) {
        finish();
        return;
    }
    showBox();
    task_ = new UvcPatchUpgrade(sn(), UvcPatchUpgrade::UvcTaskExtractLog);
    connect(task_, &UvcPatchUpgrade::progressUpdate, this, &LogExportFlow::onTaskReport);
    task_->start();
}

// A success names the stored archive.
void LogExportFlow::onTaskReport(int value, const QString& message)
{
    if (value != 0)
        showOutcome(text(QT_TRANSLATE_NOOP("MainUserUi", "Extract the log file successfully!")), message);
    else
        showOutcome(message.isEmpty()
                        ? text(QT_TRANSLATE_NOOP("MainUserUi", "Extract log failed, please try again later!"))
                        : message);
}

// The archive's path on a line of its own, so that the user finds it, and
// selectable, so that the user can copy it.
void LogExportFlow::showOutcome(const QString& message, const QString& archive)
{
    if (archive.isEmpty()) {
        box_->setText(message);
    } else {
        box_->setText(message + QLatin1Char('\n') + QDir::toNativeSeparators(archive));
        box_->makeTextSelectable();
    }
    box_->setButtonState(QMessageBox::Yes, true);
}

// The camera switches to network mode, comes back with its address, and
// serves its log there.
void LogExportFlow::extractLogByNet()
{
    const QSharedPointer<UvcDevice> dev = device();
    if (!dev) {
        finish();
        return;
    }
    if (FlowHost* win = host())
        win->onDevSnMarked(sn());
    showBox();
    if (dev->devMode() != UvcDevice::DevModeUvc) {
        fetchByNet();
        return;
    }
    netAddress_ = dev->ipAddr();
    const QString address = netAddress_;
    callCamera([address](UvcDevice& camera) { return camera.reqDevChangeIpAddr(address); },
               [this](int result) { awaitNetMode(result); });
}

void LogExportFlow::awaitNetMode(int switchResult)
{
    if (switchResult != 0) {
        qCritical() << "Require device switch to net mode failed!";
        finish();
        return;
    }
    connect(&pollTimer_, &QTimer::timeout, this, &LogExportFlow::pollNetMode);
    waited_.start();
    pollTimer_.start(timing().logSettleMs);
}

void LogExportFlow::pollNetMode()
{
    if (waited_.elapsed() > timing().logComeBackMs + timing().logSettleMs) {
        showOutcome(text(QT_TRANSLATE_NOOP("MainUserUi", "Extract log failed, please try again later!")));
        return;
    }
    const QSharedPointer<UvcDevice> dev = vesk::pc::UvcDevices::get().getDevBySn(sn());
    if (dev && dev->devMode() == UvcDevice::DevModeNet && dev->ipAddr() == netAddress_) {
        fetchByNet();
        return;
    }
    pollTimer_.start(timing().logPollMs);
}

void LogExportFlow::fetchByNet()
{
    // Written on the call's thread before its result is handed back here.
    auto archive = std::make_shared<QString>();
    callCamera(
        [archive](UvcDevice& dev) {
            const int result = dev.getDevLogFile();
            if (result == 0)
                *archive = dev.lastLogFile();
            return result;
        },
        [this, archive](int result) { showFetched(result, *archive); });
}

// The camera's answer; -1 also when it had gone, and then it is not rebooted.
void LogExportFlow::showFetched(int result, const QString& archive)
{
    if (result == 0)
        showOutcome(text(QT_TRANSLATE_NOOP("MainUserUi",
                                           "Extract the log file successfully and device will reboot now!")),
                    archive);
    else
        showOutcome(text(QT_TRANSLATE_NOOP("MainUserUi", "Extract log failed, please try again later!")));
    rebootOnAnswer_ = device() != nullptr;
}
