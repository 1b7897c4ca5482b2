#include "cloudlink/CloudExchange.h"

#include "cloudlink/CloudReply.h"
#include "cloudlink/PackageCheck.h"
#include "http/QHttpClient.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>

namespace vesk {
namespace pc {

using qhttp::client::QHttpClient;
using qhttp::client::QHttpResponse;

void CloudExchange::sendJson(qhttp::client::QHttpRequest* request, const QJsonObject& object)
{
    const QByteArray body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    request->addHeader("Accept", "application/json");
    request->addHeader("Content-Type", "application/json");
    request->addHeader("charset", "utf-8");
    request->addHeader("content-length", QByteArray::number(body.size()));
    request->end(body);
}

CloudExchange::Outcome CloudExchange::post(const Request& request, QJsonObject* reply)
{
    const Outcome outcome = exchange(request, reply);
    // The client hands closed sockets to deleteLater; a pool thread runs no
    // event loop between tasks, so they are deleted here, not at its expiry.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return outcome;
}

CloudExchange::Outcome CloudExchange::exchange(const Request& request, QJsonObject* reply)
{
    *reply = QJsonObject();
    // The client speaks plain HTTP whatever the scheme says: an https or ftp
    // URL would go unencrypted to the same host. The URL is checked as
    // written: a decoded one (a%20b as "a b") no longer parses strictly.
    if (!request.url.isEmpty() && !PackageCheck::isHttpUrl(request.url.toString(QUrl::FullyEncoded))) {
        qCritical() << "Start http client request failed: not an http URL:" << request.url;
        return NotStarted;
    }
    QEventLoop loop;
    QHttpClient client;
    Outcome outcome = GuardTimeOut;
    bool finished = false;
    // The first ending counts: others may still be dispatched in the same pass.
    const auto finish = [&](Outcome how) {
        if (finished)
            return;
        finished = true;
        outcome = how;
        loop.quit();
    };
    QObject::connect(&client, &QHttpClient::failed, &loop, [&](const QString& why) {
        qWarning() << "Cloud request failed:" << why;
        finish(Failed);
    });
    const bool started = client.request(
        qhttp::EHTTP_POST, request.url,
        [&](qhttp::client::QHttpRequest* outgoing) {
            sendJson(outgoing, request.body ? request.body() : QJsonObject());
        },
        [&](QHttpResponse* response) {
            response->collectData(CloudReply::kMaxBodyBytes);
            QObject::connect(response, &QHttpResponse::end, &loop, [&, response] {
                const CloudReply::Verdict verdict =
                    CloudReply::check(response->status(), response->collectedData(), request.reasonLevel, reply);
                finish(verdict == CloudReply::Good ? Good : BadReply);
            });
        });
    if (!started) {
        qCritical() << "Start http client request failed";
        return NotStarted;
    }
    client.setConnectingTimeOut(kConnectingTimeOutMs);
    QObject::connect(&client, &QHttpClient::connectingTimeOut, &loop, [&] {
        qWarning() << request.connectingWarning;
        finish(ConnectingTimeOut);
    });
    QTimer::singleShot(request.guardMs, Qt::PreciseTimer, &loop, [&] {
        qDebug() << "Cloud request: no reply within" << request.guardMs << "ms";
        finish(GuardTimeOut);
    });
    QTimer stopPoll;
    if (request.stopRequested) {
        QObject::connect(&stopPoll, &QTimer::timeout, &loop, [&] {
            if (request.stopRequested())
                finish(Stopped);
        });
        stopPoll.start(kStopPollMs);
    }
    loop.exec();
    return outcome;
}

} // namespace pc
} // namespace vesk
