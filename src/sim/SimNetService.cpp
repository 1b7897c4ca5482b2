#include "sim/SimNetService.h"

#include "http/QHttpConnection.h"
#include "http/QHttpServer.h"

#include <QDebug>
#include <QHostAddress>
#include <QTcpServer>

namespace vesk {
namespace pc {

SimNetService::SimNetService(Handler handler, std::function<void()> leave)
    : handler_(std::move(handler))
    , leave_(std::move(leave))
{
    thread_.setObjectName(QStringLiteral("SimNetService"));
    context_.moveToThread(&thread_);
    thread_.start();
    onServerThread([this] {
        using qhttp::server::QHttpRequest;
        using qhttp::server::QHttpResponse;
        server_ = new qhttp::server::QHttpServer;
        const bool listening = server_->listen(
            QHostAddress(QHostAddress::LocalHost), 0, [this](QHttpRequest* request, QHttpResponse* response) {
                request->collectData(-1);
                QObject::connect(request, &QHttpRequest::end, response, [this, request, response] {
                    const Answer answer =
                        handler_(request->methodString().toLatin1(), request->url().path(), request->collectedData());
                    if (answer.thenLeave)
                        QObject::connect(response->connection(), &qhttp::server::QHttpConnection::disconnected,
                                         &context_, [this] { leave_(); });
                    response->setStatusCode(qhttp::TStatusCode(answer.status));
                    for (const auto& header : answer.headers)
                        response->addHeader(header.first, header.second);
                    response->addHeaderInt("content-length", answer.body.size());
                    response->end(answer.body);
                });
            });
        if (listening && server_->tcpServer())
            port_ = server_->tcpServer()->serverPort();
        else
            qWarning() << "Simulated camera: its network service cannot listen:" << server_->errorString();
    });
}

SimNetService::~SimNetService()
{
    onServerThread([this] {
        delete server_;
        server_ = nullptr;
    });
    thread_.quit();
    thread_.wait();
}

void SimNetService::onServerThread(const std::function<void()>& work)
{
    QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
}

} // namespace pc
} // namespace vesk
