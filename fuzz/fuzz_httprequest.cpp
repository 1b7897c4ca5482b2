// Requests as a peer of the HTTP server sends them: request line, headers,
// bodies by length or in chunks, several on one connection.

#include "FuzzSupport.h"
#include "HttpPipe.h"

#include "http/HttpLimits.h"
#include "http/QHttpServerRequest.h"
#include "http/QHttpServerResponse.h"

using namespace vesk::pc;
using qhttp::server::QHttpRequest;
using qhttp::server::QHttpResponse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    fuzz::serveOnce(bytes, [](QHttpRequest* request, QHttpResponse* response) {
        request->collectData(-1);
        QObject::connect(request, &QHttpRequest::end, response, [request, response] {
            FUZZ_PROMISE(request->collectedData().size() <= qhttp::limits::kMaxServerBodyBytes);
            response->setStatusCode(qhttp::ESTATUS_OK);
            response->end(request->url().toEncoded().left(64));
        });
    }, 200);
    return 0;
}
