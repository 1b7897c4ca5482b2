// Requests of a camera to the local firmware server, routed to its
// services with a store holding one verified package. The services may
// derive and read files in the store, and nothing else.

#include "FuzzSupport.h"
#include "HttpPipe.h"

#include "httpserver/HttpServerReqMapper.h"
#include "httpserver/StoreWorker.h"
#include "package/FirmwareManager.h"
#include "support/PackageBuilder.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>

using namespace vesk::pc;
using qhttp::server::QHttpRequest;
using qhttp::server::QHttpResponse;

namespace {

// The store's folder inside a sandbox kept for the whole run, holding
// version 1.0.2.9 of one package.
struct Store
{
    fuzz::Sandbox box;
    QString dir = box.work() + QLatin1Char('/');
    QString package = pkgtest::fileName(pkgtest::Identity());

    Store()
    {
        const QByteArray camera = pkgtest::cameraPackage({{0, QByteArray(300, 'b')}, {10, QByteArray(200, 's')}});
        pkgtest::writeFile(dir + package,
                           pkgtest::package(pkgtest::Identity(), {{1, camera}, {2, QByteArray(500, 'x')}}));
        FirmwareManager::setStoreDir(dir);
    }
    // Files derived by an input go, so that every input meets the store as
    // the first one did and derives again.
    void reset() const
    {
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (name != package)
                QFile::remove(dir + name);
        }
    }
};

bool storeBusy()
{
    return !StoreWorker::get().waitForIdle(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static Store store;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    // Digests and derived packages answer from the store's thread.
    fuzz::serveOnce(bytes, [](QHttpRequest* request, QHttpResponse* response) {
        new HttpServerReqMapper(request, response);
    }, 2000, storeBusy);
    FUZZ_PROMISE(StoreWorker::get().waitForIdle(20000));
    FUZZ_PROMISE(store.box.clean());
    store.reset();
    return 0;
}
