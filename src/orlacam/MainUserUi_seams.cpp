// Entry points that later parts of the window fill in: the upgrade and
// maintenance flows and the key sets. Each is reachable now and logs, so the
// wiring of the window can be followed before they exist.

#include "orlacam/MainUserUi.h"

#include <QDebug>

void MainUserUi::initLocalShortcut()
{
    qDebug() << "In-window shortcuts: none yet";
}

void MainUserUi::initGlobalShortcut()
{
    qDebug() << "Global hotkeys: none yet";
}

void MainUserUi::onShortcutRangeChanged(int range)
{
    qDebug() << "Shortcut range" << range;
}

void MainUserUi::onRemoteCtrlEnabled(bool on)
{
    qDebug() << "Remote controller keys" << on;
}

void MainUserUi::onSoftwareUpgrade()
{
    qDebug() << "Software version query: not available yet";
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
