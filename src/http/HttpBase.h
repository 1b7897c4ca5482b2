#pragma once

#include "http/HttpTypes.h"

#include <QString>

namespace qhttp {
namespace details {

// State every message has.
class HttpBase
{
public:
    virtual ~HttpBase() = default;

    QString version;
    THeaderHash headers;
};

} // namespace details
} // namespace qhttp
