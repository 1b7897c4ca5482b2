#pragma once

#include "http/HttpTypes.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace vesk {
namespace pc {

// What the local server's services share: reading a request's query items
// and ending a response in the forms the camera's firmware expects.
class ServiceIo
{
public:
    ServiceIo() = delete;

    // The package a "/query" or "/download" asks for, as its query items
    // give it; request text, never a path.
    struct Package
    {
        int cmd = 0;
        QString product;
        QString branch;
        QString platform;
        QString status;  // the requested channel
        QString version;

        QString prefix() const;  // product_branch_platform_
    };

    static const QByteArray kJsonUtf8;     // "application/json; charset=utf-8"
    static const QByteArray kJson;         // "application/json"
    static const QByteArray kOctetStream;  // "application/octet-stream"

    // A query item, decoded; "" when missing.
    static QString text(const qhttp::server::QHttpRequest* request, const QString& key);
    // A query item as a base-10 number; 0 when missing or not a number.
    static int number(const qhttp::server::QHttpRequest* request, const QString& key);

    static Package packageOf(const qhttp::server::QHttpRequest* request);

    // {"errorcode": code, "reason": reason}.
    static QJsonObject result(int code, const QString& reason);
    // Ends with the object written indented, without a length header.
    static void endJson(qhttp::server::QHttpResponse* response, qhttp::TStatusCode status,
                        const QByteArray& contentType, const QJsonObject& body);
    // Status 200 and the octet-stream type, for every outcome of a download.
    static void startDownload(qhttp::server::QHttpResponse* response);
    // Ends a started download with a text in place of the file: its length,
    // then the text in the local 8-bit encoding.
    static void endDownloadText(qhttp::server::QHttpResponse* response, const QString& text);
};

} // namespace pc
} // namespace vesk
