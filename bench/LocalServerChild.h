#pragma once

// The local firmware server as a child process of a benchmark, so that its
// peak memory (from wait4) is its own: the benchmark starts itself again
// with "--serve <store> <port>", which runServeChild recognises.

#include "comm/GlobalParams.h"
#include "httpserver/HttpServerHost.h"
#include "package/FirmwareManager.h"

#include <QCoreApplication>
#include <QString>

#include <cstdlib>

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

// When the arguments ask for the server child ("--serve <store> <port>"),
// runs it and returns true with its exit code in *code.
inline bool runServeChild(int argc, char** argv, int* code)
{
    if (argc != 4 || qstrcmp(argv[1], "--serve") != 0)
        return false;
    qSetMessagePattern("%{if-critical}%{message}%{endif}");
    *code = serveChild(QString::fromLocal8Bit(argv[2]), quint16(std::atoi(argv[3])));
    return true;
}

} // namespace bench
