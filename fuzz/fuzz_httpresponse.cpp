// Responses as a server sends them to the HTTP client: status line,
// headers, bodies by length, in chunks or up to the close. The exchange
// must end exactly once, and a collected body stays within its limit.

#include "FuzzSupport.h"

#include "http/HttpLimits.h"
#include "http/QHttpClient.h"
#include "http/QHttpClientRequest.h"
#include "http/QHttpClientResponse.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

using namespace vesk::pc;

namespace {

// Answers every connection with the current bytes, then closes it.
class Answerer
{
public:
    Answerer()
    {
        QLocalServer::removeServer(name());
        server_.listen(name());
        QObject::connect(&server_, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                socket->write(bytes);
                socket->disconnectFromServer();
            }
        });
    }
    QString path() const { return server_.fullServerName(); }
    QByteArray bytes;

private:
    static QString name() { return QStringLiteral("orlacam-fuzz-%1").arg(QCoreApplication::applicationPid()); }
    QLocalServer server_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static Answerer answerer;
    fuzz::Input in(data, size);
    const int collect = int(in.byte() % 3) - 1;  // the caller's limit, or none
    answerer.bytes = in.rest();                  // the response, after the mode byte

    qhttp::client::QHttpClient client;
    client.setTimeOut(500);
    int ends = 0;
    QObject::connect(&client, &qhttp::client::QHttpClient::failed, [&ends](const QString&) { ++ends; });
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(answerer.path());
    client.request(qhttp::EHTTP_GET, url, nullptr, [&ends, collect](qhttp::client::QHttpResponse* response) {
        response->collectData(collect > 0 ? 256 : collect);
        QObject::connect(response, &qhttp::client::QHttpResponse::end, [&ends, response, collect] {
            ++ends;
            const int limit = collect > 0 ? 256 : int(qhttp::limits::kDefaultClientCollectBytes);
            FUZZ_PROMISE(response->collectedData().size() <= limit);
        });
    });
    QElapsedTimer timer;
    timer.start();
    while (ends == 0 && timer.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    FUZZ_PROMISE(ends <= 1);
    return 0;
}
