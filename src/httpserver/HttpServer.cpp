#include "httpserver/HttpServer.h"

#include "comm/GlobalParams.h"
#include "http/QHttpServer.h"
#include "httpserver/HttpServerReqMapper.h"
#include "httpserver/KnownPeers.h"
#include "httpserver/StoreCatalog.h"
#include "httpserver/StoreWorker.h"
#include "package/FirmwareStore.h"

#include <QDebug>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>

namespace vesk {
namespace pc {

namespace {

// The store's packages are hashed before a camera asks for them.
void prefetchDigests()
{
    const StoreCatalog store = StoreCatalog::current();
    QStringList paths;
    for (const QString& name : store.withPrefix(QString())) {
        paths << store.pathOf(name);
        const QString companion = FirmwareStore::companionName(name);
        if (store.contains(companion))
            paths << store.pathOf(companion);
    }
    StoreWorker::get().prefetch(paths);
}

} // namespace

HttpServer::HttpServer(QObject* parent)
    : QObject(parent)
{
}

HttpServer::~HttpServer() = default;

void HttpServer::initServer()
{
    qDebug() << "Thread =" << QThread::currentThread();
    if (server_ && server_->isListening()) {
        emit listening(server_->tcpServer()->serverPort());
        return;
    }
    if (!server_) {
        server_ = new qhttp::server::QHttpServer(this);
        server_->setPeerFilter(&KnownPeers::isKnown);
    }
    const QHostAddress address(QHostAddress::AnyIPv4);
    const quint16 port = GlobalParams::get().host_port;
    qDebug() << "Address:" << address << "port:" << port;
    const bool ok = server_->listen(address, port, [](qhttp::server::QHttpRequest* request,
                                                      qhttp::server::QHttpResponse* response) {
        new HttpServerReqMapper(request, response);
    });
    qDebug() << "Listen:" << ok;
    if (!server_->isListening()) {
        const QString error = server_->errorString();
        qCritical().noquote() << "Start http server failed:" << error;
        emit listenFailed(error);
        return;
    }
    prefetchDigests();
    emit listening(server_->tcpServer()->serverPort());
}

void HttpServer::stopServer()
{
    if (server_)
        server_->stopListening();
}

} // namespace pc
} // namespace vesk
