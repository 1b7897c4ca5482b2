#include "download/ExchangeLoop.h"

#include "http/QHttpClient.h"

#include <QDebug>

namespace vesk {
namespace pc {

ExchangeLoop::ExchangeLoop(qhttp::client::QHttpClient* client, int connectMs, int idleMs, int totalMs)
    : idleMs_(idleMs)
{
    using qhttp::client::QHttpClient;
    client->setConnectingTimeOut(quint32(connectMs));
    connect(client, &QHttpClient::connectingTimeOut, this, [this] {
        qWarning() << "Connecting timeout";
        done();
    });
    connect(client, &QHttpClient::failed, this, [this](const QString& reason) {
        qWarning() << "Http exchange failed:" << reason;
        done();
    });
    // Traffic only moves the deadline; the timer is not restarted for every
    // chunk, it looks at the time when it fires.
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &ExchangeLoop::onIdleCheck);
    total_.setSingleShot(true);
    connect(&total_, &QTimer::timeout, this, [this, totalMs] {
        qWarning() << "Exchange not done within" << totalMs << "ms";
        done();
    });
    lastTraffic_.start();
    idle_.start(idleMs_);
    total_.start(totalMs);
}

void ExchangeLoop::touch()
{
    lastTraffic_.restart();
}

void ExchangeLoop::onIdleCheck()
{
    const qint64 quiet = lastTraffic_.elapsed();
    if (quiet < idleMs_) {
        idle_.start(int(idleMs_ - quiet));
        return;
    }
    qWarning() << "No traffic for" << quiet << "ms";
    done();
}

void ExchangeLoop::done()
{
    done_ = true;
    idle_.stop();
    total_.stop();
    loop_.quit();
}

void ExchangeLoop::exec()
{
    if (!done_)
        loop_.exec();
}

} // namespace pc
} // namespace vesk
