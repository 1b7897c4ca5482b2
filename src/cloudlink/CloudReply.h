#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QtGlobal>

namespace vesk {
namespace pc {

// The check of a cloud server's reply, shared by every cloud request and
// the package downloader's query. Replies are untrusted and bounded.
class CloudReply
{
public:
    enum Verdict {
        Good = 0,
        NotOk = 1,        // HTTP status other than 200
        InvalidJson = 2,  // not a non-empty JSON object
        ErrorCode = 3,    // "errorcode" missing or not the number 200
    };

    // Largest reply body that is read.
    static constexpr int kMaxBodyBytes = 1024 * 1024;

    // On Good, *object is the reply's object. "Error reason =" is logged at
    // reasonLevel (critical for reports, debug for queries).
    static Verdict check(int status, const QByteArray& body, QtMsgType reasonLevel, QJsonObject* object);
};

} // namespace pc
} // namespace vesk
