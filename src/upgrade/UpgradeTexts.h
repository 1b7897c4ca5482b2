#pragma once

#include <QCoreApplication>
#include <QString>

namespace vesk {
namespace pc {

// The user texts of the upgrade and log tasks, translated in the upgrade
// task's context.
struct UpgradeTexts
{
    static constexpr const char* kStartWarning = QT_TRANSLATE_NOOP(
        "UvcPatchUpgrade",
        "Warning:\n1 Do not disconnect the device during upgrade, otherwise the device will crash!\n"
        "2 Please make sure that you close all applications that may use device during upgrade, such "
        "as OBS Studio, Zoom, Skype, and Google Meet, etc.\n");
    static constexpr const char* kCloseOthers =
        QT_TRANSLATE_NOOP("UvcPatchUpgrade", "Warning: Please close any other programs that might use device!");
    static constexpr const char* kFailed =
        QT_TRANSLATE_NOOP("UvcPatchUpgrade", "Upgrade failed, please try again later.");
    static constexpr const char* kOutOfDate =
        QT_TRANSLATE_NOOP("UvcPatchUpgrade", "The ugprade package is out of date.");
    static constexpr const char* kSucceeded = QT_TRANSLATE_NOOP("UvcPatchUpgrade", "Upgrade successfully!");

    static QString text(const char* source)
    {
        return QCoreApplication::translate("UvcPatchUpgrade", source);
    }
};

} // namespace pc
} // namespace vesk
