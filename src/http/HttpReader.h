#pragma once

#include "http/HttpBase.h"

#include <QByteArray>

namespace qhttp {

class QHttpAbstractInput;

namespace details {

// Body collection and the one-time ending of an arriving message; joined
// with a request or response base in the private part of each message.
// Every operation that emits a signal returns right after it: a receiver may
// delete the message.
class HttpReader : public virtual HttpBase
{
public:
    bool successful = false;
    TReadState readState = EReadNothing;
    bool collecting = false;
    qint64 collectCapacity = 0;
    QByteArray collectedData;
    // The limit that collectData(0 or less) selects.
    qint64 defaultCapacity = 0;
    QString errorString;

    void collectData(int atMost);
    bool isFinished() const { return readState == EReadComplete; }
    // False when a collected body would outgrow its limit; the caller then
    // fails the message. The chunk is not kept in that case.
    bool appendBody(QHttpAbstractInput* q, const char* at, size_t length);
    void complete(QHttpAbstractInput* q);
    void fail(QHttpAbstractInput* q, const QString& reason);
};

} // namespace details
} // namespace qhttp
