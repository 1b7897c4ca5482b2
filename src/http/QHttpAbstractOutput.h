#pragma once

#include "http/HttpTypes.h"

#include <QObject>

namespace qhttp {

namespace details {
class HttpWriter;
}

// A message that is sent: a request on the client side, a response on the
// server side. Its head goes out at the first write() or at end(); end()
// finishes it, and nothing is sent after that.
class QHttpAbstractOutput : public QObject
{
    Q_OBJECT
public:
    explicit QHttpAbstractOutput(QObject* parent);

    // The version on the first line, "1.1" unless changed.
    virtual void setVersion(const QString& version);
    // Stores the field lower-cased and the value as given; ignored once the
    // message is finished.
    virtual void addHeader(const QByteArray& field, const QByteArray& value);
    // Entries put in directly keep their case.
    virtual THeaderHash& headers();
    virtual void write(const QByteArray& data);
    virtual void end(const QByteArray& data = QByteArray());

    // addHeader with the decimal text of value, e.g. for "content-length".
    void addHeaderInt(const QByteArray& field, qint64 value);
    // True once end() has sent the message.
    bool isFinished() const;

signals:
    // The socket has nothing left to write.
    void allBytesWritten();
    // end() has sent the message; wasTheLastPacket is true when the
    // connection closes after it (no keep-alive).
    void done(bool wasTheLastPacket);

protected:
    // writer is the state of the message (owned by the subclass).
    QHttpAbstractOutput(details::HttpWriter* writer, QObject* parent);

private:
    details::HttpWriter* writer_ = nullptr;
    THeaderHash spareHeaders_;
};

} // namespace qhttp
