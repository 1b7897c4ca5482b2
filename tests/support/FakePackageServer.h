#pragma once

// The firmware query server and the package's file server in one, on
// 127.0.0.1: the query is answered with the record of the offered package,
// and the file is served under /pkg/ with the fault the test asks for.
// Runs in the thread that creates it.

#include "support/FakeCameraHttp.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class FakePackageServer
{
public:
    enum Fault {
        kGood,
        kTruncated,    // the whole length announced, the last bytes never sent
        kWrongLength,  // a length other than the record's, sent in full
        kStall,        // half the body, then silence
        kTrickle,      // small pieces that keep the connection busy
        kPieces,       // pieces of an odd size a moment apart: reads end anywhere
        kNotFound,     // 404
    };

    static constexpr const char* kQueryPath = "/firmware/dev_query/";

    bool listen() { return http_.listen(); }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(http_.port()); }
    QString queryUrl() const { return baseUrl() + QLatin1String(kQueryPath); }
    QString fileUrl(const QString& name) const { return baseUrl() + QStringLiteral("/pkg/") + name; }

    // A package record as the server describes data of that identity.
    static QJsonObject record(const QJsonObject& identity, const QByteArray& data, const QString& url)
    {
        QJsonObject pkg = identity;
        pkg.insert("url", url);
        pkg.insert("pkgsize", double(data.size()));
        pkg.insert("md5", QString::fromLatin1(
                              QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper()));
        return pkg;
    }

    // The query answers with pkg; data is served at pkg's URL with fault.
    void offer(const QJsonObject& pkg, const QByteArray& data, Fault fault = kGood)
    {
        answerQuery(QJsonObject{{"errorcode", 200}, {"reason", "OK"},
                                {"packages", QJsonArray{pkg}}});
        const QString path = QUrl(pkg.value("url").toString()).path();
        if (fault != kNotFound)
            http_.setReply(path, fileReply(data, fault));
    }

    void answerQuery(const QJsonObject& reply)
    {
        http_.setReply(kQueryPath, FakeCameraHttp::json(QJsonDocument(reply).toJson()));
    }
    void answerQuery(const FakeCameraHttp::Reply& reply) { http_.setReply(kQueryPath, reply); }

    QList<FakeCameraHttp::Seen> requests() const { return http_.requests(); }
    int requestsFor(const QString& prefix) const
    {
        int count = 0;
        for (const auto& seen : http_.requests())
            count += seen.path.startsWith(prefix) ? 1 : 0;
        return count;
    }

private:
    static FakeCameraHttp::Reply fileReply(const QByteArray& data, Fault fault)
    {
        FakeCameraHttp::Reply reply;
        reply.headers = {{"Content-Type", "application/octet-stream"}};
        const int half = data.size() / 2;
        switch (fault) {
        case kTruncated:
            reply.headers.append({"content-length", QByteArray::number(data.size())});
            reply.chunks = {data.left(data.size() - 1)};
            break;
        case kWrongLength:
            reply.chunks = {data + QByteArray(1, 'x')};
            break;
        case kStall:
            reply.chunks = {data.left(half), data.mid(half)};
            reply.pauseMs = 60000;
            break;
        case kTrickle:
            for (int at = 0; at < data.size(); at += 256)
                reply.chunks.append(data.mid(at, 256));
            reply.pauseMs = 40;
            break;
        case kPieces:
            for (int at = 0; at < data.size(); at += 9973)
                reply.chunks.append(data.mid(at, 9973));
            reply.pauseMs = 1;
            break;
        default:
            reply.chunks = {data};
        }
        return reply;
    }

    FakeCameraHttp http_;
};
