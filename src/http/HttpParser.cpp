#include "http/HttpParser.h"

#include "http/HttpLimits.h"

#include <QDebug>
#include <QIODevice>
#include <QPointer>
#include <QScopedValueRollback>

#include <cstring>

namespace qhttp {
namespace details {

// The state of one parsed stream. Kept alive by every running feed(), so the
// library can finish its call even when the owner is deleted in a callback.
struct ParserCore
{
    http_parser parser;
    HttpParser* owner = nullptr;
    int busy = 0;
    // A feed() is running; a nested one (a flush inside a handler reporting
    // bytes written, a disconnection inside a callback) must not re-enter
    // the library on the same state.
    bool feeding = false;
    QByteArray pendingField;
    QByteArray pendingValue;
    bool valueSeen = false;
    qint64 headBytes = 0;
    bool stopped = false;
    int pendingError = 0;
};

// Bridges the library's C callbacks to the owner's hooks.
struct ParserCallbacks
{
    template <class Hook>
    static int dispatch(http_parser* p, Hook&& hook)
    {
        ParserCore* core = static_cast<ParserCore*>(p->data);
        if (!core->owner || core->stopped)
            return HttpParser::kStop;
        const int rc = hook(core->owner);
        return core->owner ? rc : HttpParser::kStop;
    }

    static int messageBegin(http_parser* p)
    {
        return dispatch(p, [](HttpParser* o) {
            o->beginHead();
            return o->onMessageBegin();
        });
    }
    static int url(http_parser* p, const char* at, size_t length)
    {
        return dispatch(p, [&](HttpParser* o) {
            return o->countHeadBytes(length) ? o->onUrl(at, length) : o->stopWithError(HPE_HEADER_OVERFLOW);
        });
    }
    static int status(http_parser* p, const char* at, size_t length)
    {
        return dispatch(p, [&](HttpParser* o) {
            return o->countHeadBytes(length) ? o->onStatus(at, length) : o->stopWithError(HPE_HEADER_OVERFLOW);
        });
    }
    static int headerField(http_parser* p, const char* at, size_t length)
    {
        return dispatch(p, [&](HttpParser* o) { return o->headerField(at, length); });
    }
    static int headerValue(http_parser* p, const char* at, size_t length)
    {
        return dispatch(p, [&](HttpParser* o) { return o->headerValue(at, length); });
    }
    static int headersComplete(http_parser* p)
    {
        return dispatch(p, [](HttpParser* o) { return o->onHeadersComplete(); });
    }
    static int body(http_parser* p, const char* at, size_t length)
    {
        return dispatch(p, [&](HttpParser* o) { return o->onBody(at, length); });
    }
    static int messageComplete(http_parser* p)
    {
        return dispatch(p, [](HttpParser* o) { return o->onMessageComplete(); });
    }

    static const http_parser_settings& settings()
    {
        static const http_parser_settings table = [] {
            http_parser_settings s{};
            s.on_message_begin = &ParserCallbacks::messageBegin;
            s.on_url = &ParserCallbacks::url;
            s.on_status = &ParserCallbacks::status;
            s.on_header_field = &ParserCallbacks::headerField;
            s.on_header_value = &ParserCallbacks::headerValue;
            s.on_headers_complete = &ParserCallbacks::headersComplete;
            s.on_body = &ParserCallbacks::body;
            s.on_message_complete = &ParserCallbacks::messageComplete;
            return s;
        }();
        return table;
    }
};

QString HttpParser::errorText(int error)
{
    // Taken from the library's own table at compile time.
    static const char* const kDescriptions[] = {
#define QHTTP_ERROR_TEXT(name, text) text,
        HTTP_ERRNO_MAP(QHTTP_ERROR_TEXT)
#undef QHTTP_ERROR_TEXT
    };
    const int count = static_cast<int>(sizeof kDescriptions / sizeof *kDescriptions);
    if (error < 0 || error >= count)
        return QStringLiteral("error %1").arg(error);
    return QString::fromLatin1(kDescriptions[error]);
}

HttpParser::HttpParser(http_parser_type type)
    : type_(type)
{
    resetParser();
}

HttpParser::~HttpParser()
{
    core_->owner = nullptr;
}

void HttpParser::resetParser()
{
    if (core_)
        core_->owner = nullptr;
    core_ = std::make_shared<ParserCore>();
    http_parser_init(&core_->parser, type_);
    core_->parser.data = core_.get();
    core_->owner = this;
}

void HttpParser::stopParsing()
{
    core_->stopped = true;
}

int HttpParser::stopWithError(int error)
{
    core_->pendingError = error;
    return kStop;
}

void HttpParser::holdInput()
{
    http_parser_pause(&core_->parser, 1);
}

bool HttpParser::isStopped() const
{
    return core_->stopped;
}

const http_parser& HttpParser::parser() const
{
    return core_->parser;
}

HttpParser::SocketScope::SocketScope(const HttpParser* parser)
    : core_(parser->core_)
{
    ++core_->busy;
}

HttpParser::SocketScope::~SocketScope()
{
    --core_->busy;
}

bool HttpParser::insideSocketSignal() const
{
    return core_->busy > 0;
}

// Bytes are peeked and consumed as far as the library took them, so what a
// hold leaves over waits in the device.
bool HttpParser::feed(QIODevice* device)
{
    const std::shared_ptr<ParserCore> core = core_;
    if (core->feeding)
        return core->owner != nullptr; // the running call takes the bytes
    const QScopedValueRollback<bool> feeding(core->feeding, true);
    const QPointer<QIODevice> dev(device);
    char buffer[limits::kReadChunkBytes];
    while (core->owner && dev && dev->bytesAvailable() > 0 && !inputPaused()) {
        const qint64 count = dev->peek(buffer, sizeof buffer);
        if (count <= 0)
            break;
        qint64 used = count; // drained and dropped once stopped, so nothing piles up in the socket
        if (!core->stopped) {
            if (HTTP_PARSER_ERRNO(&core->parser) == HPE_PAUSED)
                http_parser_pause(&core->parser, 0);
            const size_t parsed = http_parser_execute(&core->parser, &ParserCallbacks::settings(), buffer,
                                                      static_cast<size_t>(count));
            if (HTTP_PARSER_ERRNO(&core->parser) == HPE_PAUSED)
                used = static_cast<qint64>(parsed);
        }
        if (dev && dev->isOpen())
            dev->skip(used);
        if (!core->owner || !reportErrors(core))
            return false;
    }
    return core->owner != nullptr;
}

bool HttpParser::feedEof()
{
    const std::shared_ptr<ParserCore> core = core_;
    if (core->feeding)
        return core->owner != nullptr;
    const QScopedValueRollback<bool> feeding(core->feeding, true);
    if (!core->stopped && HTTP_PARSER_ERRNO(&core->parser) == HPE_OK)
        http_parser_execute(&core->parser, &ParserCallbacks::settings(), nullptr, 0);
    return core->owner != nullptr;
}

bool HttpParser::reportErrors(const std::shared_ptr<ParserCore>& core)
{
    const int error = core->pendingError ? core->pendingError
                                         : static_cast<int>(HTTP_PARSER_ERRNO(&core->parser));
    core->pendingError = 0;
    if (error == HPE_PAUSED)
        return true;
    if (core->parser.upgrade && !core->stopped) {
        qInfo() << "Protocol switch is not supported; the rest of the stream is dropped";
        core->stopped = true;
    }
    if (error == HPE_OK || core->stopped)
        return true;
    core->stopped = true;
    onParseError(error);
    return core->owner != nullptr;
}

int HttpParser::onUrl(const char*, size_t)
{
    return 0;
}

int HttpParser::onStatus(const char*, size_t)
{
    return 0;
}

bool HttpParser::countHeadBytes(size_t length)
{
    core_->headBytes += static_cast<qint64>(length);
    return core_->headBytes <= limits::kMaxHeaderBytes;
}

void HttpParser::beginHead()
{
    core_->pendingField.clear();
    core_->pendingValue.clear();
    core_->valueSeen = false;
    core_->headBytes = 0;
}

// A field that follows a value starts the next header line; a field that
// follows a field is the same name continued across two reads. An empty value
// still counts as a value, so it never runs into the next name.
int HttpParser::headerField(const char* at, size_t length)
{
    if (!countHeadBytes(length))
        return stopWithError(HPE_HEADER_OVERFLOW);
    // The library lets a blank into a name and still takes "Content-Length :"
    // for the length, so a server would wait on a body no sender meant.
    if (type_ == HTTP_REQUEST && std::memchr(at, ' ', length))
        return stopWithError(HPE_INVALID_HEADER_TOKEN);
    if (!hasIncoming())
        return 0;
    if (core_->valueSeen)
        flushPendingHeader();
    core_->pendingField.append(at, static_cast<int>(length));
    return 0;
}

int HttpParser::headerValue(const char* at, size_t length)
{
    if (!countHeadBytes(length))
        return stopWithError(HPE_HEADER_OVERFLOW);
    if (!hasIncoming())
        return 0;
    core_->pendingValue.append(at, static_cast<int>(length));
    core_->valueSeen = true;
    return 0;
}

// Names are kept lower-case for lookups; values exactly as received.
void HttpParser::flushPendingHeader()
{
    if (!core_->pendingField.isEmpty() && hasIncoming())
        storeHeader(core_->pendingField.toLower(), core_->pendingValue);
    core_->pendingField.clear();
    core_->pendingValue.clear();
    core_->valueSeen = false;
}

} // namespace details
} // namespace qhttp
