// Entry points that later parts of the window fill in: the key sets. Each
// is reachable now and logs, so the wiring of the window can be followed
// before they exist.

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
