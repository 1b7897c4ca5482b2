#include "orlacam/SystemSettingUi.h"

#include "comm/GlobalParams.h"
#include "uvc/UvcDevices.h"

#include <QDebug>

using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;

SystemSettingUi::SystemSettingUi(QWidget* parent)
    : QWidget(parent)
{
}

void SystemSettingUi::onFirmwareInfoFromServer(const QJsonObject& info)
{
    // Looked up afresh: the camera may have left since the query went out.
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(devSn_);
    if (!device) {
        qWarning() << "Firmware answer for a camera that is gone:" << devSn_;
        return;
    }
    device->setLatestVersion(info.value(QLatin1String("version")).toString());
    QString text;
    upgradeOffered_ = device->isUpgradeNeeded(text) == 1;
    upgradeInfo_ = text;
    emit upgradeOfferChanged(upgradeOffered_, upgradeInfo_);
}

bool SystemSettingUi::isDeviceActivity(int event)
{
    return (event >= 13 && event <= 15) || (event >= 18 && event <= 26);
}

void SystemSettingUi::setCurrentUvcDevSn(const QString& sn, const vesk::pc::CameraStatus& status)
{
    Q_UNUSED(status)
    qDebug() << "Setting page follows camera" << sn;
    devSn_ = sn;
}

void SystemSettingUi::setDevState(bool awake)
{
    qDebug() << "Setting page: camera awake" << awake;
    devAwake_ = awake;
}

void SystemSettingUi::setBtnAdaptationMode(int mode)
{
    qDebug() << "Setting page: button mode" << mode;
}

void SystemSettingUi::setDevAutoSleep(int seconds)
{
    qDebug() << "Setting page: auto sleep" << seconds;
}

void SystemSettingUi::setNoiseCancellation(int on)
{
    qDebug() << "Setting page: noise cancellation" << on;
}

void SystemSettingUi::setVirtualBg(int state)
{
    qDebug() << "Setting page: virtual background row" << state;
}

bool SystemSettingUi::virtualBgOn() const
{
    return vesk::pc::GlobalParams::get().pc_virtual_bg;
}

void SystemSettingUi::hideSecondMenu()
{
    qDebug() << "Setting page: popup pages hidden";
}

void SystemSettingUi::on_pbGlobalHotkeys_clicked()
{
    globalHotkeys_ = !globalHotkeys_;
    qDebug() << "Setting page: global hotkeys" << globalHotkeys_;
    emit sendSettingEvent(globalHotkeys_ ? GlobalHotkeysOn : GlobalHotkeysOff);
}
