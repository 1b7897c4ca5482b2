#pragma once

// The local firmware server as a child process of a benchmark, so that its
// peak memory (from wait4) is its own: the benchmark starts itself again
// with "--serve <store> <port>" and hands that to serveChild.

#include "comm/GlobalParams.h"
#include "httpserver/HttpServerHost.h"
#include "package/FirmwareManager.h"

#include <QCoreApplication>
#include <QString>

namespace bench {

// The local server on the store until it is ended.
inline int serveChild(const QString& store, quint16 port)
{
    vesk::pc::FirmwareManager::setStoreDir(store);
    vesk::pc::GlobalParams::get().host_port = port;
    vesk::pc::HttpServerHost host;
    QObject::connect(&host, &vesk::pc::HttpServerHost::listenFailed, qApp, [] { QCoreApplication::exit(1); });
    host.start();
    return QCoreApplication::exec();
}

} // namespace bench
