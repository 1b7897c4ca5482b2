#pragma once

#include "http/QHttpAbstractInput.h"

#include <QScopedPointer>
#include <QUrl>

namespace qhttp {
namespace server {

class QHttpRequestPrivate;

// A request received by a server connection; a child of the connection and
// replaced (deleted later) when the next request on it begins.
class QHttpRequest : public QHttpAbstractInput
{
    Q_OBJECT
public:
    ~QHttpRequest() override;

    THttpMethod method() const;
    QString methodString() const;
    const QUrl& url() const;
    // The peer's address, or the local server's full name for a local socket.
    const QString& remoteAddress() const;
    // 0 for a local socket.
    quint16 remotePort() const;
    QHttpConnection* connection() const;

protected:
    explicit QHttpRequest(QHttpConnection* connection);
    QHttpRequest(QHttpRequestPrivate& dd, QHttpConnection* connection);

    QScopedPointer<QHttpRequestPrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpRequest)
    friend class QHttpConnectionPrivate;
};

} // namespace server
} // namespace qhttp
