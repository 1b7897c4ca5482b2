#pragma once

#include "http/HttpTypes.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

namespace vesk {
namespace pc {

// One HTTP exchange with a camera's own server. It runs on a thread of its
// own (no event loop of the caller's runs meanwhile); the caller waits for
// its end within the call's limits. Every way it can end is told apart, so
// that a time-out or a broken reply is never taken for an answer. The head
// check and the body sink are called on that thread while the caller waits.
class CameraHttpCall
{
public:
    struct Limits
    {
        int connectMs = 5000;          // no connection within this: ends
        int idleMs = 4000;             // no traffic for this long: ends
        int totalMs = 5000;            // the whole exchange
        qint64 maxBodyBytes = 1 << 20; // a collected body beyond this fails
    };

    enum Outcome {
        NotStarted,     // the request could not start (bad URL)
        Completed,      // the whole response was read
        ConnectTimeout,
        IdleTimeout,
        TotalTimeout,
        Failed,         // refused, broken, malformed or too large
        Aborted,        // a head check or the body sink said no
    };

    struct Result
    {
        Outcome outcome = NotStarted;
        int status = 0;
        qhttp::THeaderHash headers;  // lower-case names
        QByteArray body;             // empty when a sink took the chunks
        QString reason;

        bool isOk() const { return outcome == Completed && status == 200; }
    };

    // Sees the response head before any body; false ends the exchange.
    using HeadCheck = std::function<bool(int status, const qhttp::THeaderHash& headers)>;
    // Takes each body chunk instead of collecting it; false ends the exchange.
    using BodySink = std::function<bool(const QByteArray& chunk)>;

    CameraHttpCall(const QString& operation, const Limits& limits);

    void addHeader(const QByteArray& field, const QByteArray& value);
    void setBody(const QByteArray& body) { body_ = body; }
    void setHeadCheck(const HeadCheck& check) { headCheck_ = check; }
    void setBodySink(const BodySink& sink) { sink_ = sink; }

    Result run(qhttp::THttpMethod method, const QUrl& url);

    static const char* outcomeName(Outcome outcome);
    // Ends the exchanges' thread at shutdown, waiting at most waitMs; the
    // next call starts it again. False when it did not end in time.
    static bool stopWorker(int waitMs);

private:
    QString operation_;
    Limits limits_;
    QList<QPair<QByteArray, QByteArray>> headers_;
    QByteArray body_;
    HeadCheck headCheck_;
    BodySink sink_;
};

} // namespace pc
} // namespace vesk
