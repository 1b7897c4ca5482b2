#pragma once

#include <QByteArray>
#include <QHash>

#include <functional>

#include <http_parser.h>

// The vocabulary shared by the client and the server side of the HTTP layer.
namespace qhttp {

// Request methods, numbered as the parser numbers them (DELETE 0, GET 1,
// HEAD 2, POST 3, PUT 4, ...), so the parser's method field maps straight in.
enum THttpMethod : int {
#define QHTTP_METHOD_ENTRY(num, name, string) EHTTP_##name = num,
    HTTP_METHOD_MAP(QHTTP_METHOD_ENTRY)
#undef QHTTP_METHOD_ENTRY
};

// Response status codes. Any integer may be stored; these are the ones the
// layer itself uses or callers commonly need.
enum TStatusCode : int {
    ESTATUS_CONTINUE = 100,
    ESTATUS_OK = 200,
    ESTATUS_CREATED = 201,
    ESTATUS_ACCEPTED = 202,
    ESTATUS_NO_CONTENT = 204,
    ESTATUS_PARTIAL_CONTENT = 206,
    ESTATUS_MOVED_PERMANENTLY = 301,
    ESTATUS_FOUND = 302,
    ESTATUS_NOT_MODIFIED = 304,
    ESTATUS_BAD_REQUEST = 400,
    ESTATUS_UNAUTHORIZED = 401,
    ESTATUS_FORBIDDEN = 403,
    ESTATUS_NOT_FOUND = 404,
    ESTATUS_METHOD_NOT_ALLOWED = 405,
    ESTATUS_REQUEST_TIMEOUT = 408,
    ESTATUS_LENGTH_REQUIRED = 411,
    ESTATUS_REQUEST_ENTITY_TOO_LARGE = 413,
    ESTATUS_REQUEST_HEADER_FIELDS_TOO_LARGE = 431,
    ESTATUS_INTERNAL_SERVER_ERROR = 500,
    ESTATUS_NOT_IMPLEMENTED = 501,
    ESTATUS_SERVICE_UNAVAILABLE = 503,
};

// Transport of a client, server, connection or message.
enum TBackend : int {
    ETcpSocket = 0,
    ELocalSocket = 2,
};

// Progress of an arriving message.
enum TReadState : int {
    EReadNothing = 0,
    EReadBody = 1,
    EReadComplete = 2,
};

// Header table: lower-case field name to value, one value per field.
using THeaderHash = QHash<QByteArray, QByteArray>;

namespace client {
class QHttpClient;
class QHttpRequest;
class QHttpResponse;
using TRequestHandler = std::function<void(QHttpRequest*)>;
using TResponseHandler = std::function<void(QHttpResponse*)>;
} // namespace client

namespace server {
class QHttpServer;
class QHttpConnection;
class QHttpRequest;
class QHttpResponse;
using TServerHandler = std::function<void(QHttpRequest*, QHttpResponse*)>;
} // namespace server

} // namespace qhttp
