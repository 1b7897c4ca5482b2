#pragma once

#include "http/QHttpAbstractInput.h"

#include <QScopedPointer>

namespace qhttp {
namespace client {

class QHttpResponsePrivate;

// A response received by a client. It ends with end() once read completely,
// or with failed() (and the client's failed()) when cut short, malformed or
// over its collecting limit. A child of the client, replaced (deleted later)
// by the next response.
class QHttpResponse : public QHttpAbstractInput
{
    Q_OBJECT
public:
    ~QHttpResponse() override;

    TStatusCode status() const;
    // The reason text as received.
    const QString& statusString() const;
    QHttpClient* connection() const;

protected:
    explicit QHttpResponse(QHttpClient* client);
    QHttpResponse(QHttpResponsePrivate& dd, QHttpClient* client);

    QScopedPointer<QHttpResponsePrivate> d_ptr;

private:
    Q_DECLARE_PRIVATE(QHttpResponse)
    friend class QHttpClientPrivate;
};

} // namespace client
} // namespace qhttp
