#include "cloudlink/CloudEndpoints.h"

#include "comm/GlobalParams.h"

#include <QDebug>

#include <atomic>

namespace vesk {
namespace pc {

namespace {

std::atomic<quint16> logServerPort_{CloudEndpoints::kLogServerPort};

} // namespace

QUrl CloudEndpoints::join(const QString& host, quint16 port, const QString& path)
{
    QString tail = path;
    while (tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host.trimmed(), QUrl::StrictMode);
    url.setPort(port);
    url.setPath(QLatin1Char('/') + tail);
    if (url.host().isEmpty())
        return QUrl();
    return url;
}

QUrl CloudEndpoints::logServer(const QString& path)
{
    const QString host = GlobalParams::get().log_server_host.trimmed();
    if (host.isEmpty()) {
        qDebug() << "No cloud log server configured (log_server_host is empty): report skipped";
        return QUrl();
    }
    const QUrl url = join(host, logServerPort(), path);
    if (!url.isValid())
        qWarning() << "Cloud log server host is no host name:" << host;
    return url;
}

QUrl CloudEndpoints::queryServer()
{
    return QUrl(GlobalParams::get().fw_query_url.trimmed());
}

void CloudEndpoints::setLogServerPort(quint16 port)
{
    logServerPort_ = port;
}

quint16 CloudEndpoints::logServerPort()
{
    return logServerPort_;
}

} // namespace pc
} // namespace vesk
