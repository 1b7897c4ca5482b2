#include "orlacam/flows/UpgradeProgress.h"

#include "comm/UpgradeCodes.h"

#include <QDebug>

using vesk::pc::GlobalParams;

namespace {

constexpr int kBoxWidth = 360;
constexpr int kStepPercent = 10;
constexpr int kLastStepPercent = 90;

} // namespace

UpgradeProgress::UpgradeProgress(QWidget* parent) : MsgProgressUi(parent)
{
    init(kDefaultTimeoutMs);
}

UpgradeProgress::UpgradeProgress(int timeout, QWidget* parent) : MsgProgressUi(parent)
{
    init(timeout);
}

UpgradeProgress::~UpgradeProgress() = default;

void UpgradeProgress::init(int timeout)
{
    setFixedWidth(kBoxWidth);
    setMaxProg(100);
    setRunTimeout(timeout);
    connect(runTimer(), &QTimer::timeout, this, &UpgradeProgress::onTimeout);
    successTimer_.setSingleShot(true);
    connect(&successTimer_, &QTimer::timeout, this, &UpgradeProgress::onSuccessShown);
    // The opening text follows ug_info_type like every report of the camera.
    onUpgradeProgressUpdate(GlobalParams::UgStart, QString(), tr("Start to upgrade. Please do not disconnect!"));
}

void UpgradeProgress::onUpgradeProgressUpdate(GlobalParams::UgProgressEnum type, const QString& uuid,
                                              const QString& msg)
{
    qDebug() << "type =" << type << "uuid =" << uuid << "msg =" << msg;
    // The first outcome stands: a late start report must not clear a
    // time-out's failure and turn the box's answer into success.
    if (finished)
        return;
    const QString text =
        GlobalParams::get().ug_info_type != 0
            ? msg
            : tr("Warning: Do not disconnect the device during upgrade, otherwise the device will crash!");
    switch (type) {
    case GlobalParams::UgStart:
        step = 0;
        onProgressUpdate(0, text);
        break;
    case GlobalParams::UgStep:
        step = step <= kLastStepPercent - kStepPercent ? step + kStepPercent : kLastStepPercent;
        onProgressUpdate(step, text);
        break;
    case GlobalParams::UgError:
        onProgressUpdate(vesk::pc::kErrCodeError, text);
        break;
    case GlobalParams::UgSuccess:
        // Shown once the camera had time to restart; the time-out may not
        // overwrite it meanwhile.
        finished = true;
        runTimer()->stop();
        successTimer_.start(successDelayMs);
        break;
    case GlobalParams::UgFailure:
        finished = true;
        onProgressUpdate(vesk::pc::kErrCodeFailure, tr("Upgrade failed, please try again later."));
        break;
    }
}

void UpgradeProgress::onSuccessShown()
{
    onProgressUpdate(vesk::pc::kErrCodeSuccess, tr("Upgrade successfully!"));
}

void UpgradeProgress::onTimeout()
{
    if (finished)
        return;
    finished = true;
    onProgressUpdate(vesk::pc::kErrCodeFailure,
                     tr("No response from device for a long time, please restart device and try again!"));
}
