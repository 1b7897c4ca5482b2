#pragma once

#include "httpserver/HttpServer.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QThread;

namespace vesk {
namespace pc {

// Keeps the local firmware server on a thread of its own for the network
// upgrade flow: start() when a camera is to fetch firmware (the thread
// starts with the first call), stop() when the flow ends. The thread ends
// with this object, within a bounded wait.
class HttpServerHost : public QObject
{
    Q_OBJECT
public:
    explicit HttpServerHost(QObject* parent = nullptr);
    ~HttpServerHost() override;

    void start();
    void stop();

signals:
    // Queued from the server's thread.
    void listening(quint16 port);
    void listenFailed(const QString& error);

private:
    QThread* thread_;
    QPointer<HttpServer> server_;
};

} // namespace pc
} // namespace vesk
