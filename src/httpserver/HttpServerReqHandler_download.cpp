#include "httpserver/HttpServerReqHandler.h"

#include "http/QHttpServerResponse.h"
#include "httpserver/FileReply.h"
#include "httpserver/ServiceIo.h"
#include "httpserver/StoreCatalog.h"
#include "httpserver/StoreWorker.h"
#include "package/FirmwareStore.h"

#include <QDebug>

// "/download": the file of the asked package, falling back to another
// channel of the same version.
namespace vesk {
namespace pc {

namespace {

// The package of the channel the rule allows, or "" with the last name
// probed in probed.
QString chooseChannel(const StoreCatalog& store, const QString& base, const QString& status, QString* probed)
{
    const QString release = base + QLatin1String("release.bin");
    const QString test = base + QLatin1String("test.bin");
    const QString debug = base + QLatin1String("debug.bin");
    if (store.contains(release))
        return release;
    if (store.contains(test)) {
        *probed = test;
        return status == QLatin1String("release") ? QString() : test;
    }
    *probed = debug;
    return store.contains(debug) && status == QLatin1String("debug") ? debug : QString();
}

void serveFile(qhttp::server::QHttpResponse* response, const QString& path)
{
    if (!FileReply::start(response, path))
        ServiceIo::endDownloadText(response, QStringLiteral("Cannot read firmware in local: ") + path);
}

// cmd 2 serves the upgrade-system package, derived first when missing.
void serveCompanion(qhttp::server::QHttpResponse* response, const StoreCatalog& store, const QString& chosen)
{
    const QString companion = FirmwareStore::companionName(chosen);
    const QString mainPath = store.pathOf(chosen);
    const QString companionPath = store.pathOf(companion);
    if (store.contains(companion)) {
        serveFile(response, companionPath);
        return;
    }
    StoreWorker::get().deriveCompanion(mainPath, companionPath, response, [=](StoreWorker::Derived derived) {
        if (derived == StoreWorker::Derived::Ready)
            serveFile(response, companionPath);
        else if (derived == StoreWorker::Derived::Invalid)
            ServiceIo::endDownloadText(response, QStringLiteral("Local firmware is invalid: ") + mainPath);
        else
            ServiceIo::endDownloadText(response, QStringLiteral("Generate firmware failed: ") + companionPath);
    });
}

} // namespace

void HttpServerReqHandler::getServiceDownload(qhttp::server::QHttpRequest* request,
                                              qhttp::server::QHttpResponse* response)
{
    ServiceIo::startDownload(response);
    const ServiceIo::Package asked = ServiceIo::packageOf(request);
    const StoreCatalog store = StoreCatalog::current();
    QString probed;
    const QString chosen =
        chooseChannel(store, asked.prefix() + asked.version + QLatin1Char('_'), asked.status, &probed);
    if (chosen.isEmpty()) {
        qInfo() << "No local firmware for" << asked.prefix() + asked.version << asked.status;
        ServiceIo::endDownloadText(response,
                                   QStringLiteral("There is no corresponding firmware in local: ") + store.pathOf(probed));
    } else if (asked.cmd == 2) {
        serveCompanion(response, store, chosen);
    } else {
        serveFile(response, store.pathOf(chosen));
    }
}

} // namespace pc
} // namespace vesk
