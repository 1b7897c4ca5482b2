#pragma once

// An IPv4 address of this machine that is not loopback, for a peer that
// must not count as this machine: one of its network devices', or else one
// added to lo while the test runs (one per process, so that runs side by
// side keep their own).

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QProcess>

class ForeignAddress
{
public:
    ForeignAddress()
    {
        for (const QHostAddress& local : QNetworkInterface::allAddresses()) {  // of the devices that are up
            if (local.protocol() == QAbstractSocket::IPv4Protocol && !local.isLoopback() && address.isNull())
                address = local;
        }
        const QString added = QStringLiteral("198.51.100.%1/32").arg(QCoreApplication::applicationPid() % 250 + 1);
        if (address.isNull() && QProcess::execute(QStringLiteral("ip"), {"addr", "add", added, "dev", "lo"}) == 0) {
            added_ = added;
            address = QHostAddress(added.section(QLatin1Char('/'), 0, 0));
        }
    }
    ~ForeignAddress()
    {
        if (!added_.isEmpty())
            QProcess::execute(QStringLiteral("ip"), {"addr", "del", added_, "dev", "lo"});
    }
    ForeignAddress(const ForeignAddress&) = delete;
    ForeignAddress& operator=(const ForeignAddress&) = delete;

    QHostAddress address;

private:
    QString added_;
};
