#pragma once

#include "http/HttpTypes.h"

#include <QObject>

namespace qhttp {

namespace details {
class HttpReader;
}

// A message that arrives: a response on the client side, a request on the
// server side. It ends exactly once: with end() when it was read completely,
// or with failed() when it was cut short, malformed or over its size limit.
class QHttpAbstractInput : public QObject
{
    Q_OBJECT
public:
    explicit QHttpAbstractInput(QObject* parent);

    virtual const THeaderHash& headers() const;
    // Major and minor number joined by a point; empty until the head is read.
    virtual const QString& httpVersion() const;
    // True only after end(): the whole message was read.
    virtual bool isSuccessful() const;
    // Keeps the body instead of emitting data(). atMost 0 or less takes the
    // side's default limit (16 MiB for a client response, 1 MiB for a server
    // request); a body beyond the limit makes the message fail.
    virtual void collectData(int atMost = -1);
    virtual const QByteArray& collectedData() const;
    // Why the message failed; empty while it has not.
    virtual QString errorString() const;

signals:
    // One body chunk; only while the message does not collect.
    void data(QByteArray chunk);
    // The message has been read completely.
    void end();
    // The message will never be complete.
    void failed(QString reason);

protected:
    // reader is the state of the message (owned by the subclass).
    QHttpAbstractInput(details::HttpReader* reader, QObject* parent);

private:
    details::HttpReader* reader_ = nullptr;
};

} // namespace qhttp
