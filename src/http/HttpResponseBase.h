#pragma once

#include "http/HttpBase.h"

namespace qhttp {
namespace details {

// State of a response, sent or received.
class HttpResponseBase : public virtual HttpBase
{
public:
    TStatusCode status = ESTATUS_BAD_REQUEST;
};

} // namespace details
} // namespace qhttp
