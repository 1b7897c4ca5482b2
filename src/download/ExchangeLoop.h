#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

namespace qhttp {
namespace client {
class QHttpClient;
}
} // namespace qhttp

namespace vesk {
namespace pc {

// The local event loop of one HTTP exchange on the calling thread. It ends
// when the exchange is done, when the client fails or cannot connect in
// time, after idleMs without traffic, or after totalMs in all; each of these
// but done() is logged. Lives and runs on one thread.
class ExchangeLoop : public QObject
{
    Q_OBJECT
public:
    ExchangeLoop(qhttp::client::QHttpClient* client, int connectMs, int idleMs, int totalMs);

    // Traffic was seen: the silence starts again.
    void touch();
    // The exchange is over; exec() returns, or will at once.
    void done();
    void exec();
    QEventLoop* eventLoop() { return &loop_; }

private:
    void onIdleCheck();

    QEventLoop loop_;
    QTimer idle_;
    QTimer total_;
    QElapsedTimer lastTraffic_;
    int idleMs_;
    bool done_ = false;
};

} // namespace pc
} // namespace vesk
