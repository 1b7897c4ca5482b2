#include "orlacam/SystemSettingUi.h"

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
