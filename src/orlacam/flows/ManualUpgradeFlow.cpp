#include "orlacam/flows/ManualUpgradeFlow.h"

#include "comm/AppPaths.h"
#include "orlacam/flows/FlowHost.h"
#include "package/FirmwareStore.h"
#include "orlacam/flows/UvcUpgradeProgress.h"
#include "uvc/UvcDevice.h"

#include <QDebug>
#include <QFileInfo>
#include <QStandardPaths>

using vesk::pc::UvcDevice;

void ManualUpgradeFlow::start()
{
    if (!device()) {
        finish();
        return;
    }
    askTips(false, [this] { pickPackage(); });
}

void ManualUpgradeFlow::pickPackage()
{
    host()->onDevSnMarked(sn());
    chooseFile(text(QT_TRANSLATE_NOOP("MainUserUi", "Choose Firmware")),
               vesk::pc::AppPaths::startFolder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)),
               QStringLiteral("chooseFirmware"), false, [this](const QString& path) { onFileChosen(path); });
}

void ManualUpgradeFlow::onFileChosen(const QString& path)
{
    qDebug() << "Chosen firmware" << path;
    const QSharedPointer<UvcDevice> dev = device();
    if (path.isEmpty() || !dev || !window()) {
        finish();
        return;
    }
    const QJsonObject info = dev->getDevInfo();
    const vesk::pc::FirmwareStore store = vesk::pc::FirmwareStore::current();
    // A pick for another camera is refused here, before the camera is
    // touched, and leaves nothing in the store.
    const QString extracted = store.addPicked(path, info);
    if (extracted.isEmpty()) {
        tellAndFinish(text(QT_TRANSLATE_NOOP("MainUserUi", "Firmware Invalid")),
                      text(QT_TRANSLATE_NOOP("MainUserUi", "Please select valid firmware package and try again!")));
        return;
    }
    store.keepOnly(vesk::pc::FirmwareStore::productKey(info), QFileInfo(extracted).fileName());
    if (dev->devMode() != UvcDevice::DevModeUvc) {
        qCritical() << "device" << sn() << "devMode" << dev->devMode() << "is not DevModeUvc";
        // There is no network road for a picked package: the user is told.
        tellAndFinish(text(QT_TRANSLATE_NOOP("MainUserUi", "Firmware upgrade info")),
                      UvcUpgradeProgress::failedText());
        return;
    }
    qInfo() << sn() << "Enter uvc patch upgrade";
    runToEnd(new UvcUpgradeProgress(sn(), extracted, window()));
}
