// The two exchanges of a run: the query to the firmware query server and the
// download of the package it names.

#include "download/PkgDownloader.h"

#include "cloudlink/CloudEndpoints.h"
#include "cloudlink/CloudExchange.h"
#include "cloudlink/PackageCheck.h"
#include "comm/GlobalParams.h"
#include "download/ExchangeLoop.h"
#include "download/StagedPackage.h"
#include "http/QHttpClient.h"
#include "http/QHttpClientRequest.h"

#include <QDebug>
#include <QTcpSocket>
#include <QUrl>

namespace vesk {
namespace pc {

using qhttp::client::QHttpClient;
using qhttp::client::QHttpRequest;
using qhttp::client::QHttpResponse;

namespace {

const char* const kQueryKeys[] = {"product", "branch", "platform", "status", "version", "seqid"};

void logHead(const QHttpResponse& response)
{
    qDebug() << "Http resp status  =" << int(response.status());
    qDebug() << "Http resp version =" << response.httpVersion();
}

} // namespace

QJsonObject PkgDownloader::queryBody() const
{
    QJsonObject body;
    for (const char* key : kQueryKeys)
        body.insert(QLatin1String(key), query.value(QLatin1String(key)).toString());
    body.insert(QStringLiteral("latest"), QStringLiteral("true"));
    if (query.value(QLatin1String("pkg_type")).toInt(-1) == 1)
        body.insert(QStringLiteral("pc_version"), GlobalParams::getPcSoftwareVer());
    body.insert(QStringLiteral("device_info"), QString());
    return body;
}

bool PkgDownloader::queryLatestFwInfo()
{
    qDebug() << "Thread =" << QThread::currentThread();
    latestPkg = QJsonObject();
    const QUrl url = CloudEndpoints::queryServer();
    if (url.isEmpty()) {
        qCritical() << "Cloud server url is not provided in config file";
        return false;
    }
    CloudExchange::Request request;
    request.url = url;
    request.body = [this] {
        const QJsonObject body = queryBody();
        qDebug() << "Query body:" << body;
        return body;
    };
    request.reasonLevel = QtDebugMsg;
    request.stopRequested = [this] { return isInterruptionRequested(); };
    request.guardMs = limits_.queryMs;
    QJsonObject reply;
    const CloudExchange::Outcome outcome = CloudExchange::post(request, &reply);
    if (stopped() || outcome != CloudExchange::Good)
        return false;
    return PackageCheck::check(reply, query, &latestPkg) == PackageCheck::Accepted;
}

bool PkgDownloader::downloadFirmware()
{
    staged_.reset();
    const QString url = latestPkg.value(QLatin1String("url")).toString();
    const QString name = getPkgName();
    if (name.isEmpty() || !PackageCheck::isHttpUrl(url)) {
        qCritical() << "Start http client request failed: no package or not an http URL:" << url;
        return false;
    }
    if (downloadDir.isEmpty()) {
        qCritical() << "Open file failed: no download folder";
        return false;
    }
    std::unique_ptr<StagedPackage> staged;
    QHttpClient client;
    ExchangeLoop loop(&client, limits_.connectMs, limits_.idleMs, limits_.downloadMs);
    progressClock.start();
    unreportedBytes = 0;
    bool ended = false;
    bool broken = false;
    auto onResponse = [&](QHttpResponse* response) {
        loop.touch();
        if (!staged)
            qCritical() << "Download refused: an answer came before the request";
        if (!staged || !acceptHead(*response) || !staged->open()) {
            broken = true;
            loop.done();
            return;
        }
        qDebug() << "File path =" << packagePath();
        QObject::connect(response, &QHttpResponse::data, &loop, [&](const QByteArray& chunk) {
            if (!broken && !onChunk(chunk, *staged, loop)) {
                broken = true;
                loop.done();
            }
        });
        QObject::connect(response, &QHttpResponse::end, &loop, [&] {
            ended = true;
            loop.done();
        });
    };
    StagedPackage::removeLeftovers(downloadDir);
    // The staging (a folder and two threads) is made while the server
    // answers: the request is sent first, not left for the loop to send.
    auto onRequest = [&](QHttpRequest* request) {
        request->end();
        if (QTcpSocket* socket = client.tcpSocket())
            socket->flush();
        staged.reset(new StagedPackage(downloadDir, name));
    };
    if (!client.request(qhttp::EHTTP_GET, QUrl(url), onRequest, onResponse)) {
        qCritical() << "Start http client request failed";
        return false;
    }
    const bool ran = runLoop(loop);
    flushProgress();
    if (!ran || !ended || broken || !staged || !checkDownloaded(*staged))
        return false;
    staged_ = std::move(staged);
    return true;
}

// Nothing is written for a status other than 200 or for a length other
// than the announced one.
bool PkgDownloader::acceptHead(const QHttpResponse& response)
{
    logHead(response);
    const QByteArray lengthText = response.headers().value("content-length");
    qDebug() << "File length =" << lengthText.toLongLong();
    if (response.status() != 200) {
        qCritical() << "Download refused: status" << int(response.status());
        return false;
    }
    if (!lengthText.isEmpty() && lengthText.trimmed().toLongLong() != announcedSize()) {
        qCritical() << "Download refused: length" << lengthText << "but the package has" << announcedSize();
        return false;
    }
    return true;
}

bool PkgDownloader::onChunk(const QByteArray& chunk, StagedPackage& staged, ExchangeLoop& loop)
{
    loop.touch();
    if (staged.size() + chunk.size() > announcedSize()) {
        qCritical() << "Download refused: more bytes than the package has";
        return false;
    }
    if (!staged.append(chunk))
        return false;
    unreportedBytes += chunk.size();
    if (progressClock.elapsed() >= kProgressIntervalMs)
        flushProgress();
    return true;
}

void PkgDownloader::flushProgress()
{
    if (unreportedBytes > 0)
        notify(kInfoProgress, unreportedBytes);
    unreportedBytes = 0;
    progressClock.restart();
}

bool PkgDownloader::checkDownloaded(StagedPackage& staged)
{
    qDebug() << "File size received =" << staged.size();
    const bool closed = staged.close();
    if (staged.size() != announcedSize()) {
        qCritical() << "File size error:" << staged.size() << "of" << announcedSize();
        return false;
    }
    if (!closed)
        return false;
    if (staged.md5Hex() != expectedMd5()) {
        qCritical() << "File md5 check error";
        return false;
    }
    return true;
}

} // namespace pc
} // namespace vesk
