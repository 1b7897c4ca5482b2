#pragma once

#include "http/QHttpAbstractOutput.h"

#include <QScopedPointer>

namespace qhttp {
namespace client {

class QHttpRequestPrivate;

// A request sent by a client. The client adds "host" and, unless the request
// asks for keep-alive, "connection: close"; a body goes out unchanged, so a
// caller that sends one adds "content-length" itself. A child of the client,
// replaced (deleted later) by its next request.
class QHttpRequest : public QHttpAbstractOutput
{
    Q_OBJECT
public:
    ~QHttpRequest() override;

    QHttpClient* connection() const;

protected:
    explicit QHttpRequest(QHttpClient* client);
    QHttpRequest(QHttpRequestPrivate& dd, QHttpClient* client);

    QScopedPointer<QHttpRequestPrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpRequest)
    friend class QHttpClientPrivate;
};

} // namespace client
} // namespace qhttp
