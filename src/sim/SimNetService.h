#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QThread>

#include <functional>

namespace qhttp {
namespace server {
class QHttpServer;
} // namespace server
} // namespace qhttp

namespace vesk {
namespace pc {

// The HTTP server of a simulated camera in network operation: on loopback,
// on a thread of its own as a camera's server would be, handing every
// request to the camera and sending back its answer.
class SimNetService
{
public:
    struct Answer
    {
        int status = 404;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool thenLeave = false;  // the camera goes once the answer is out
    };
    // Runs on the service's thread for each whole request.
    using Handler = std::function<Answer(const QByteArray& method, const QString& path, const QByteArray& body)>;

    // leave runs on the service's thread once an answer that asked for it
    // has reached the client (its connection closed).
    SimNetService(Handler handler, std::function<void()> leave);
    ~SimNetService();
    SimNetService(const SimNetService&) = delete;
    SimNetService& operator=(const SimNetService&) = delete;

    // The loopback port; 0 when the server could not listen (logged).
    quint16 port() const { return port_; }

private:
    void onServerThread(const std::function<void()>& work);

    Handler handler_;
    std::function<void()> leave_;
    QThread thread_;
    QObject context_;  // on thread_
    qhttp::server::QHttpServer* server_ = nullptr;
    quint16 port_ = 0;
};

} // namespace pc
} // namespace vesk
