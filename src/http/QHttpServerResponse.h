#pragma once

#include "http/QHttpAbstractOutput.h"

#include <QScopedPointer>

namespace qhttp {
namespace server {

class QHttpResponsePrivate;

// The response to one request of a server connection. Without a
// "connection: keep-alive" header the connection closes once end() has sent
// it. A child of the connection, deleted later when the next request's head
// has been read or when the connection goes.
class QHttpResponse : public QHttpAbstractOutput
{
    Q_OBJECT
public:
    ~QHttpResponse() override;

    // 400 until set.
    void setStatusCode(TStatusCode code);
    TStatusCode statusCode() const;
    QHttpConnection* connection() const;

protected:
    explicit QHttpResponse(QHttpConnection* connection);
    QHttpResponse(QHttpResponsePrivate& dd, QHttpConnection* connection);

    QScopedPointer<QHttpResponsePrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpResponse)
    friend class QHttpConnectionPrivate;
};

} // namespace server
} // namespace qhttp
