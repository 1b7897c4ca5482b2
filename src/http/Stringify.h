#pragma once

#include "http/HttpTypes.h"

#include <QString>

namespace qhttp {

// Texts of status codes and methods as they go on the wire.
class Stringify
{
public:
    // The reason phrase of the code, or a null string for a code without one.
    static QString toString(TStatusCode code);
    // The parser's name of the method; "<unknown>" outside its table.
    static QString toString(THttpMethod method);
};

} // namespace qhttp
