#include "httpserver/HttpServerHost.h"

#include <QDebug>
#include <QThread>

namespace vesk {
namespace pc {

namespace {

constexpr unsigned long kStopWaitMs = 5000;

} // namespace

HttpServerHost::HttpServerHost(QObject* parent)
    : QObject(parent)
    , thread_(new QThread)
    , server_(new HttpServer)
{
    thread_->setObjectName(QStringLiteral("HttpServer"));
    server_->moveToThread(thread_);
    connect(thread_, &QThread::finished, server_, &QObject::deleteLater);
    connect(server_, &HttpServer::listening, this, &HttpServerHost::listening);
    connect(server_, &HttpServer::listenFailed, this, &HttpServerHost::listenFailed);
}

HttpServerHost::~HttpServerHost()
{
    if (!thread_->isRunning()) {
        delete server_;
        delete thread_;
        return;
    }
    thread_->quit();
    if (!thread_->wait(kStopWaitMs)) {
        // Never terminated: left running rather than destroyed under itself.
        qCritical() << "Local server thread did not end within" << kStopWaitMs << "ms";
        return;
    }
    delete thread_;
}

void HttpServerHost::start()
{
    if (!thread_->isRunning())
        thread_->start();
    QMetaObject::invokeMethod(server_, &HttpServer::initServer, Qt::QueuedConnection);
}

void HttpServerHost::stop()
{
    QMetaObject::invokeMethod(server_, &HttpServer::stopServer, Qt::QueuedConnection);
}

} // namespace pc
} // namespace vesk
