#pragma once

#include "http/HttpBase.h"
#include "http/HttpSocket.h"

namespace qhttp {

class QHttpAbstractOutput;

namespace details {

// Writes an outgoing message to its socket: first line and headers once,
// then the body unchanged, without chunk framing or a computed length.
// Joined with a request or response base in the private part of each
// message, which supplies the first line and its own headers.
class HttpWriter : public virtual HttpBase
{
public:
    HttpWriter() { version = QStringLiteral("1.1"); }

    HttpSocket socket;
    bool finished = false;
    bool headerWritten = false;
    bool keepAlive = false;

    void addHeader(const QByteArray& field, const QByteArray& value);
    void write(const QByteArray& data);
    // Emits done() as its last step: the receiver may delete the message.
    void end(QHttpAbstractOutput* q, const QByteArray& data);
    void writeHead();

protected:
    virtual QByteArray makeTitle() = 0;
    virtual void prepareHeadersToWrite() = 0;

private:
    void applyConnectionRule();
};

} // namespace details
} // namespace qhttp
