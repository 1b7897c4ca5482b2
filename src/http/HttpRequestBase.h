#pragma once

#include "http/HttpBase.h"

#include <QUrl>

namespace qhttp {
namespace details {

// State of a request, sent or received.
class HttpRequestBase : public virtual HttpBase
{
public:
    QUrl url;
    THttpMethod method = EHTTP_GET;
};

} // namespace details
} // namespace qhttp
