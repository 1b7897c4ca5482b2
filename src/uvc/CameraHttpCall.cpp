#include "uvc/CameraHttpCall.h"

#include "http/QHttpClient.h"

#include <QDebug>
#include <QEventLoop>
#include <QTimer>

namespace vesk {
namespace pc {

namespace {

const char* const kOutcomeNames[] = {"not started", "completed", "connecting time-out",
                                     "idle time-out", "total time-out", "failed", "aborted"};

// Ends the exchange once; later calls (a late end() after a time-out) do nothing.
struct Ending
{
    QEventLoop loop;
    QTimer idle;
    QTimer total;
    CameraHttpCall::Result result;
    bool done = false;

    void finish(CameraHttpCall::Outcome outcome, const QString& reason = QString())
    {
        if (done)
            return;
        done = true;
        result.outcome = outcome;
        result.reason = reason;
        idle.stop();
        total.stop();
        loop.quit();
    }
};

} // namespace

CameraHttpCall::CameraHttpCall(const QString& operation, const Limits& limits)
    : operation_(operation)
    , limits_(limits)
{
}

void CameraHttpCall::addHeader(const QByteArray& field, const QByteArray& value)
{
    headers_.append(qMakePair(field, value));
}

const char* CameraHttpCall::outcomeName(Outcome outcome)
{
    return kOutcomeNames[int(outcome)];
}

CameraHttpCall::Result CameraHttpCall::run(qhttp::THttpMethod method, const QUrl& url)
{
    using namespace qhttp::client;
    Ending ending;
    ending.idle.setSingleShot(true);
    ending.idle.setInterval(qMax(limits_.idleMs, 1));
    ending.total.setSingleShot(true);
    ending.total.setInterval(qMax(limits_.totalMs, 1));
    QObject::connect(&ending.idle, &QTimer::timeout, [&ending] { ending.finish(IdleTimeout); });
    QObject::connect(&ending.total, &QTimer::timeout, [&ending] { ending.finish(TotalTimeout); });

    // Declared last so that it goes first, before anything its signals reach.
    QHttpClient client;
    QObject::connect(&client, &QHttpClient::connectingTimeOut, [&ending, this] {
        qWarning().noquote() << "Connecting timeout: " + operation_ + " failed";
        ending.finish(ConnectTimeout);
    });
    QObject::connect(&client, &QHttpClient::failed,
                     [&ending](const QString& reason) { ending.finish(Failed, reason); });

    const auto onRequest = [&ending, this](QHttpRequest* request) {
        ending.idle.start();
        for (const auto& header : headers_)
            request->addHeader(header.first, header.second);
        request->end(body_);
    };
    const auto onResponse = [&ending, this](QHttpResponse* response) {
        ending.idle.start();
        ending.result.status = response->status();
        ending.result.headers = response->headers();
        if (headCheck_ && !headCheck_(ending.result.status, ending.result.headers)) {
            ending.finish(Aborted, QStringLiteral("response head refused"));
            return;
        }
        if (sink_) {
            QObject::connect(response, &QHttpResponse::data, [&ending, this](const QByteArray& chunk) {
                ending.idle.start();
                if (!ending.done && !sink_(chunk))
                    ending.finish(Aborted, QStringLiteral("body refused"));
            });
        } else {
            response->collectData(int(qMin<qint64>(limits_.maxBodyBytes, INT_MAX)));
        }
        QObject::connect(response, &QHttpResponse::end, [&ending, response, this] {
            if (!sink_)
                ending.result.body = response->collectedData();
            ending.finish(Completed);
        });
        QObject::connect(response, &QHttpResponse::failed,
                         [&ending](const QString& reason) { ending.finish(Failed, reason); });
    };

    if (url.host().isEmpty() || !client.request(method, url, onRequest, onResponse))
        return ending.result;
    client.setConnectingTimeOut(quint32(qMax(limits_.connectMs, 1)));
    ending.idle.start();
    ending.total.start();
    if (!ending.done)
        ending.loop.exec();
    QObject::disconnect(&client, nullptr, nullptr, nullptr);
    client.killConnection();
    if (ending.result.outcome != Completed)
        qWarning().noquote() << operation_ << "ended:" << outcomeName(ending.result.outcome)
                             << ending.result.reason;
    return ending.result;
}

} // namespace pc
} // namespace vesk
