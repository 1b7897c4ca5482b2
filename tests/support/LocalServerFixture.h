#pragma once

// The local firmware server as a camera meets it: started on its own thread
// on a free port, a firmware store in a temporary home, and requests sent
// over plain sockets on 127.0.0.1.

#include "support/HttpTestSupport.h"
#include "support/PackageBuilder.h"
#include "comm/GlobalParams.h"
#include "httpserver/HttpServerHost.h"
#include "package/FirmwareStore.h"
#include "support/TestHome.h"

#include <QDir>
#include <QJsonObject>
#include <QSignalSpy>

#include <memory>

class LocalServerFixture
{
public:
    // Starts the server listening on a port of the system's choice.
    bool start()
    {
        vesk::pc::GlobalParams::get().host_port = 0;
        host_ = std::make_unique<vesk::pc::HttpServerHost>();
        QSignalSpy listening(host_.get(), &vesk::pc::HttpServerHost::listening);
        host_->start();
        if (!listening.wait(httptest::kWaitMs))
            return false;
        port_ = listening.first().first().value<quint16>();
        return true;
    }
    quint16 port() const { return port_; }
    vesk::pc::HttpServerHost* host() const { return host_.get(); }

    QString store() const { return vesk::pc::FirmwareStore::current().dir(); }
    void clearStore() const
    {
        QDir(store()).removeRecursively();
        QDir().mkpath(store());
    }
    bool place(const QString& name, const QByteArray& data) const { return pkgtest::writeFile(store() + name, data); }

    httptest::RawMessage get(const QByteArray& target) const
    {
        return httptest::exchangeRaw(port_, "GET " + target + " HTTP/1.1\r\nHost: pc\r\n\r\n");
    }
    httptest::RawMessage send(const QByteArray& method, const QByteArray& target, const QByteArray& body) const
    {
        return httptest::exchangeRaw(port_, method + " " + target + " HTTP/1.1\r\nHost: pc\r\ncontent-length: "
                                                 + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }

private:
    TestHome home_;
    std::unique_ptr<vesk::pc::HttpServerHost> host_;
    quint16 port_ = 0;
};

// The query items of a package request for the test packages' identity.
inline QByteArray packageQuery(int cmd, const QByteArray& status, const QByteArray& version = "1.0.0.1")
{
    return "cmd=" + QByteArray::number(cmd) + "&product=Kestro_zuki_2P&branch=main&platform=SSC339G&status="
        + status + "&version=" + version + "&seqid=3";
}

inline QString packageName(const QString& version, const QString& channel)
{
    return QStringLiteral("Kestro_zuki_2P_main_SSC339G_%1_%2.bin").arg(version, channel);
}

// A verified firmware package of that name's identity.
inline QByteArray validPackage(const QByteArray& channel = "release", uint32_t version = 0x01000001)
{
    pkgtest::Identity id;
    id.channel = channel;
    id.version = version;
    const QByteArray camera = pkgtest::cameraPackage({{0, QByteArray(3000, 'b')}, {10, QByteArray(2000, 's')}});
    return pkgtest::package(id, {{1, camera}, {2, QByteArray(5000, 'x')}});
}

inline QByteArray md5Hex(const QByteArray& data)
{
    return pkgtest::md5(data).toHex();
}

const QByteArray kJsonType = "content-type: application/json; charset=utf-8";
const QByteArray kOctetType = "content-type: application/octet-stream";
const QByteArray kOkLine = "HTTP/1.1 200 OK";
