// The maintenance flows' entry points: firmware and software updates, log
// export, factory reset and the upgrade help. Each flow is an object of its
// own that runs as a chain of answers and timers; one runs at a time.

#include "orlacam/window/MainUserUi.h"

#include "comm/AppPaths.h"
#include "comm/Util.h"
#include "download/PkgDownloader.h"
#include "httpserver/HttpServerHost.h"
#include "orlacam/window/CloudReports.h"
#include "orlacam/flows/FactoryResetFlow.h"
#include "orlacam/flows/FirmwareUpgradeFlow.h"
#include "orlacam/flows/LogExportFlow.h"
#include "orlacam/flows/ManualUpgradeFlow.h"
#include "orlacam/flows/SoftwareUpdateFlow.h"
#include "orlacam/flows/DownloadProgress.h"
#include "uicomm/LinkOpener.h"
#include "uicomm/MsgInfoUi.h"
#include "uvc/UvcDevices.h"

#include <QDebug>
#include <QUrlQuery>

namespace {

const char* const kManualHost = "www.kestro.invalid";

// Release-note keys by language number; any other number reads English.
const char* const kReleaseNoteKeys[] = {"release_notes_en", "release_notes_cn", "release_notes_tc",
                                        "release_notes_ja", "release_notes_de", "release_notes_es"};

} // namespace

void MainUserUi::runFlow(MaintenanceFlow* flow)
{
    if (flowRunning()) {
        qInfo() << "Another flow is running; not started";
        delete flow;
        return;
    }
    flow_ = flow;
    // The flow's camera is selected again only while the flow runs, or when
    // it comes back from a restart the flow left it in.
    connect(flow, &MaintenanceFlow::finished, this, [this, sn = flow->sn()] {
        if (snToReselect_.isEmpty() || registry_->getDevBySn(snToReselect_))
            snToReselect_.clear();
        dropAwayButton(sn);
    });
    flow->start();
}

vesk::pc::PkgDownloader& MainUserUi::downloader()
{
    if (!downloader_) {
        downloader_ = std::make_unique<vesk::pc::PkgDownloader>();
        connect(downloader_.get(), &vesk::pc::PkgDownloader::notifyInfo, downloadBox(),
                &DownloadProgress::onDownloadProgressUpdate, Qt::QueuedConnection);
    }
    return *downloader_;
}

DownloadProgress* MainUserUi::downloadBox()
{
    if (!downloadBox_)
        downloadBox_ = new DownloadProgress(this);
    return downloadBox_;
}

vesk::pc::HttpServerHost& MainUserUi::serverHost()
{
    if (!serverHost_)
        serverHost_ = std::make_unique<vesk::pc::HttpServerHost>();
    return *serverHost_;
}

QString MainUserUi::getUgTipsInfo(const QJsonObject& reply) const
{
    const int language = vesk::pc::GlobalParams::get().language_type;
    const bool known = language >= 0 && language < int(std::size(kReleaseNoteKeys));
    return reply.value(QLatin1String(kReleaseNoteKeys[known ? language : 0])).toString();
}

void MainUserUi::onFirmwareUpgrade()
{
    runFlow(new FirmwareUpgradeFlow(this, currSn_));
}

void MainUserUi::onExportLog()
{
    runFlow(new LogExportFlow(this, currSn_));
}

void MainUserUi::onRestoreFactorySetting()
{
    runFlow(new FactoryResetFlow(this, currSn_));
}

void MainUserUi::onManualUpgrade()
{
    runFlow(new ManualUpgradeFlow(this, currSn_));
}

void MainUserUi::onSoftwareUpgrade()
{
    if (softwareUpdateInfo_.isEmpty()) {
        vesk::pc::queryPcSoftware(this, QStringLiteral("onInfoFromServer"));
        return;
    }
    onInfoFromServer(softwareUpdateInfo_);
}

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
    if (!newer)
        return;
    pushToSettingPage(SettingPush::SoftwareUpgrade, [](SystemSettingUi& page) { page.enableSoftwareUpgrade(true); });
    runFlow(new SoftwareUpdateFlow(this, version, getUgTipsInfo(info)));
}

void MainUserUi::onUpgradeManual()
{
    const bool chinese = vesk::pc::GlobalParams::get().language_type == 1;
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QLatin1String(kManualHost));
    url.setPath(chinese ? QStringLiteral("/cn/service/faq/orla-upgrade-manual")
                        : QStringLiteral("/service/faq/orla-upgrade-manual"));
    url.setQuery(chinese ? QStringLiteral("fl=cn") : QStringLiteral("fl=en"));
    LinkOpener::open(url, this, urlOpener);
}

void MainUserUi::onUpgradeHelp()
{
    auto* box = new MsgInfoUi(tr("Tips"), MaintenanceFlow::tipsText(false), this);
    box->setButtonText(QMessageBox::Yes, tr("Yes"));
    box->open();
}
