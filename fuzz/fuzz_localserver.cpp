// Requests of a camera to the local firmware server, routed to its
// services with a store holding one verified package. The services may
// derive and read files in the store, and nothing else.

#include "FuzzSupport.h"
#include "HttpPipe.h"

#include "httpserver/HttpServerReqMapper.h"
#include "httpserver/StoreWorker.h"
#include "package/FirmwareManager.h"
#include "support/PackageBuilder.h"

#include <QJsonObject>

using namespace vesk::pc;
using qhttp::server::QHttpRequest;
using qhttp::server::QHttpResponse;

namespace {

// The store's folder inside a sandbox kept for the whole run.
struct Store
{
    fuzz::Sandbox box;
    QString dir = box.work() + QLatin1Char('/');

    Store()
    {
        pkgtest::Identity id;
        const QByteArray camera = pkgtest::cameraPackage({{0, QByteArray(300, 'b')}, {10, QByteArray(200, 's')}});
        pkgtest::writeFile(dir + pkgtest::fileName(id),
                           pkgtest::package(id, {{1, camera}, {2, QByteArray(500, 'x')}}));
        FirmwareManager::setStoreDir(dir);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static Store store;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    fuzz::serveOnce(bytes, [](QHttpRequest* request, QHttpResponse* response) {
        new HttpServerReqMapper(request, response);
    }, 300);
    FUZZ_PROMISE(StoreWorker::get().waitForIdle(20000));
    FUZZ_PROMISE(store.box.clean());
    return 0;
}
