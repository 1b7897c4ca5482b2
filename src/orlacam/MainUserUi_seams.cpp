// Entry points that later parts of the window fill in: the upgrade and
// maintenance flows. Each is reachable now and logs, so the
// wiring of the window can be followed before they exist.

#include "orlacam/MainUserUi.h"

#include "comm/Util.h"
#include "orlacam/CloudReports.h"

#include <QDebug>

void MainUserUi::onSoftwareUpgrade()
{
    if (softwareUpdateInfo_.isEmpty()) {
        vesk::pc::queryPcSoftware(this, QStringLiteral("onInfoFromServer"));
        return;
    }
    onInfoFromServer(softwareUpdateInfo_);
}

// Only kept and logged for now: the update flow itself comes later.
void MainUserUi::onInfoFromServer(const QJsonObject& info)
{
    if (info.isEmpty()) {
        qDebug() << "No software package from the query server";
        return;
    }
    const QString version = info.value(QLatin1String("version")).toString();
    if (version.isEmpty())
        return;
    softwareUpdateInfo_ = info;
    const bool newer = vesk::pc::Util::verStrToUint(version)
                       > vesk::pc::Util::verStrToUint(vesk::pc::GlobalParams::getPcSoftwareVer());
    qInfo() << "Newest software package:" << version << (newer ? "newer than this one" : "not newer");
}

void MainUserUi::onFirmwareUpgrade()
{
    qDebug() << "Firmware upgrade requested for" << currentSn();
}

void MainUserUi::onExportLog()
{
    qDebug() << "Log export requested for" << currentSn();
}

void MainUserUi::onManualUpgrade()
{
    qDebug() << "Manual upgrade requested for" << currentSn();
}

void MainUserUi::onRestoreFactorySetting()
{
    qDebug() << "Factory reset requested for" << currentSn();
}

void MainUserUi::onUpgradeManual()
{
    qDebug() << "Upgrade manual requested";
}

void MainUserUi::onUpgradeHelp()
{
    qDebug() << "Upgrade help requested";
}
