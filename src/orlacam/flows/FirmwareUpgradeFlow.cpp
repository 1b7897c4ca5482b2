#include "orlacam/flows/FirmwareUpgradeFlow.h"

#include "comm/GlobalParams.h"
#include "httpserver/HttpServerHost.h"
#include "orlacam/flows/FlowHost.h"
#include "uicomm/MsgInfoUi.h"
#include "orlacam/flows/UpgradeProgress.h"
#include "orlacam/flows/UvcUpgradeProgress.h"
#include "package/FirmwareStore.h"
#include "uvc/UvcDevice.h"

#include <QDebug>

using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;

namespace {

constexpr int kUpgradeRequestTries = 5;

// Asks the camera to fetch and install the firmware from the local server; 0 on success.
// Blocks on the camera's answers: called away from the window's thread.
int startUpgrade(UvcDevice& device)
{
    qInfo() << "Start to get device uuid" << device.uuid().toHex().toUpper();
    int result = -1;
    for (int i = 0; i < kUpgradeRequestTries && result != 0; ++i)
        result = device.reqDevUpgrade();
    qInfo() << "Require dev to upgrade, ret_val =" << result;
    return result;
}

} // namespace

FirmwareUpgradeFlow::~FirmwareUpgradeFlow()
{
    if (serverStarted_ && owner())
        owner()->serverHost().stop();
}

void FirmwareUpgradeFlow::start()
{
    if (!device()) {
        tellNoDevice();
        return;
    }
    askTips(false, [this] { checkVersion(); });
}

void FirmwareUpgradeFlow::tellNoDevice()
{
    tellAndFinish(text(QT_TRANSLATE_NOOP("MainUserUi", "No Device Connected")),
                  text(QT_TRANSLATE_NOOP("MainUserUi", "Please insert device first and try again!")));
}

void FirmwareUpgradeFlow::checkVersion()
{
    const QSharedPointer<UvcDevice> dev = device();
    if (!dev) {
        finish();
        return;
    }
    QString info;
    const int result = dev->isUpgradeNeeded(info);
    qDebug() << "result =" << result << "info =" << info;
    const QString title = text(QT_TRANSLATE_NOOP("MainUserUi", "Firmware upgrade info"));
    if (result != 1) {
        tellAndFinish(title, info);
        return;
    }
    MsgInfoUi* box = newBox(title, QString());
    box->setLinkText((info + QLatin1Char('\n') + host()->getUgTipsInfo(host()->getUgInfo()))
                         .toHtmlEscaped()
                         .replace(QLatin1Char('\n'), QLatin1String("<br>")));
    confirm(box, [this] { download(); });
}

void FirmwareUpgradeFlow::download()
{
    qInfo() << "Start to download firmware and upgrade";
    downloadPackage(GlobalParams::get().getProductInfo(), vesk::pc::FirmwareStore::current().dir(),
                    text(QT_TRANSLATE_NOOP("MainUserUi", "Downloading Firmware")),
                    [this](const QString& package) { onDownloaded(package); });
}

// Over USB the downloaded package itself is installed; over the network
// the camera asks the local server, which chooses from the same store.
void FirmwareUpgradeFlow::onDownloaded(const QString& package)
{
    const QSharedPointer<UvcDevice> dev = device();
    if (!dev) {
        tellNoDevice();
        return;
    }
    if (GlobalParams::get().upgrade_method == 0) {
        if (dev->devMode() == UvcDevice::DevModeUvc) {
            qInfo() << sn() << "Enter uvc patch upgrade";
            upgradeByUvc(package);
            return;
        }
        qCritical() << "device" << sn() << "devMode" << dev->devMode() << "is not DevModeUvc";
    }
    upgradeByNet();
}

void FirmwareUpgradeFlow::upgradeByUvc(const QString& package)
{
    runToEnd(new UvcUpgradeProgress(sn(), package, window()));
}

// The camera is asked to fetch only once the server listens.
void FirmwareUpgradeFlow::upgradeByNet()
{
    qInfo() << sn() << "Enter rndis upgrade";
    vesk::pc::HttpServerHost& server = host()->serverHost();
    connect(&server, &vesk::pc::HttpServerHost::listening, this, &FirmwareUpgradeFlow::onServerListening,
            Qt::UniqueConnection);
    connect(&server, &vesk::pc::HttpServerHost::listenFailed, this, &FirmwareUpgradeFlow::onListenFailed,
            Qt::UniqueConnection);
    serverStarted_ = true;
    server.start();
}

void FirmwareUpgradeFlow::onListenFailed(const QString& error)
{
    qCritical() << "Local firmware server cannot listen:" << error;
    tellAndFinish(text(QT_TRANSLATE_NOOP("MainUserUi", "Firmware upgrade info")),
                  text(QT_TRANSLATE_NOOP("MainUserUi",
                                         "The firmware server of this computer cannot start, please try again later!"))
                      + QLatin1Char('\n') + error);
}

void FirmwareUpgradeFlow::onServerListening()
{
    if (netBox_ || !window())
        return;
    const QSharedPointer<UvcDevice> dev = device();
    if (!dev) {
        finish();
        return;
    }
    auto* box = new UpgradeProgress(timing().upgradeOutcomeWaitMs, window());
    box->successDelayMs = timing().upgradeSuccessDelayMs;
    netBox_ = box;
    adopt(box);
    connect(&GlobalParams::get(), &GlobalParams::devUpgradeProgress, box, &UpgradeProgress::onUpgradeProgressUpdate,
            Qt::QueuedConnection);
    callCamera([](UvcDevice& camera) { return startUpgrade(camera); },
               [this, box](int result) { watchNetUpgrade(box, result); });
}

// The camera's answer to the upgrade request; its reports reach the box
// meanwhile. A camera that refused every request failed the upgrade: the user
// who waited for the download is told so.
void FirmwareUpgradeFlow::watchNetUpgrade(UpgradeProgress* box, int requestResult)
{
    if (!window()) {
        finish();
        return;
    }
    if (requestResult != 0)
        box->onUpgradeProgressUpdate(GlobalParams::UgFailure, QString(), QString());
    runToEnd(box);
}
