#include "httpserver/HttpServerReqHandler.h"

#include "comm/Util.h"
#include "http/QHttpServerResponse.h"
#include "httpserver/ServiceIo.h"
#include "httpserver/StoreCatalog.h"
#include "httpserver/StoreWorker.h"
#include "package/FirmwareStore.h"

#include <QDebug>
#include <QPointer>

// "/query": which package the store holds for the camera, with its size and
// digest.
namespace vesk {
namespace pc {

namespace {

const QString kNotFound = QStringLiteral("Cannot find firmware in local, please download first");
const QString kInvalid = QStringLiteral("Local firmware is invalid, please download again");
const QString kNotDerived = QStringLiteral("Cannot generate upgrade firmware in local, please download again");
const QString kUnreadable = QStringLiteral("Cannot read firmware in local, please download again");

using Choice = FirmwareStore::Package;

void endQuery(qhttp::server::QHttpResponse* response, const QJsonObject& body)
{
    ServiceIo::endJson(response, qhttp::ESTATUS_OK, ServiceIo::kJsonUtf8, body);
}

// The reply that describes file, once its digest is known.
void answerWithFile(qhttp::server::QHttpResponse* response, const ServiceIo::Package& asked,
                    const StoreCatalog& store, const QString& file, uint32_t version)
{
    StoreWorker::get().digest(store.pathOf(file), response, [=](const StoreWorker::Digest& digest) {
        if (digest.size < 0) {
            endQuery(response, ServiceIo::result(500, kUnreadable));
            return;
        }
        QJsonObject body = ServiceIo::result(200, QStringLiteral("OK"));
        body.insert(QStringLiteral("product"), asked.product);
        body.insert(QStringLiteral("branch"), asked.branch);
        body.insert(QStringLiteral("platform"), asked.platform);
        body.insert(QStringLiteral("url"), QString());
        body.insert(QStringLiteral("pkgsize"), double(digest.size));
        body.insert(QStringLiteral("md5"), QString::fromLatin1(digest.md5Hex));
        body.insert(QStringLiteral("version"), Util::verUintToStr(version));
        body.insert(QStringLiteral("status"), FirmwareStore::channelOf(file));
        endQuery(response, body);
    });
}

// cmd 2 describes the upgrade-system package, derived first when missing.
void answerWithCompanion(qhttp::server::QHttpResponse* response, const ServiceIo::Package& asked,
                         const StoreCatalog& store, const Choice& chosen)
{
    const QString companion = FirmwareStore::companionName(chosen.name);
    if (store.contains(companion)) {
        answerWithFile(response, asked, store, companion, chosen.version);
        return;
    }
    StoreWorker::get().deriveCompanion(
        store.pathOf(chosen.name), store.pathOf(companion), response, [=](StoreWorker::Derived derived) {
            if (derived == StoreWorker::Derived::Ready)
                answerWithFile(response, asked, store, companion, chosen.version);
            else
                endQuery(response, ServiceIo::result(500, derived == StoreWorker::Derived::Invalid ? kInvalid
                                                                                                  : kNotDerived));
        });
}

} // namespace

void HttpServerReqHandler::getServiceQuery(qhttp::server::QHttpRequest* request,
                                           qhttp::server::QHttpResponse* response)
{
    const ServiceIo::Package asked = ServiceIo::packageOf(request);
    const StoreCatalog store = StoreCatalog::current();
    const Choice chosen = FirmwareStore::newestOf(store.withPrefix(asked.prefix()), asked.prefix(), asked.status);
    if (chosen.version == 0) {
        qInfo() << "No local firmware for" << asked.prefix() << asked.status;
        endQuery(response, ServiceIo::result(500, kNotFound));
    } else if (asked.cmd == 1) {
        answerWithFile(response, asked, store, chosen.name, chosen.version);
    } else if (asked.cmd == 2) {
        answerWithCompanion(response, asked, store, chosen);
    } else {
        qDebug() << "Unknown cmd =" << asked.cmd;
        endQuery(response, ServiceIo::result(404, QStringLiteral("Unknown cmd")));
    }
}

} // namespace pc
} // namespace vesk
