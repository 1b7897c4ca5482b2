#pragma once

#include "http/HttpTypes.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace qhttp {
namespace details {

struct ParserCore;

// Drives the http-parser library over the bytes of one socket and turns its
// callbacks into the hooks below. A client parses responses, a server
// connection requests.
//
// Hooks run inside the library's callbacks and may call user code, which may
// delete the owner or drop the stream. The library state therefore lives in
// a shared part that outlives both; once the owner is gone or the stream has
// been replaced, the remaining callbacks stop at once and feed() returns
// false without touching the owner again.
class HttpParser
{
public:
    // Failure codes besides the library's own error numbers.
    enum ParseError : int {
        kErrBodyTooLarge = 1000,
        // A response that no request asked for.
        kErrUnsolicited = 1001,
    };

    // The library's description of one of its error numbers.
    static QString errorText(int error);

    explicit HttpParser(http_parser_type type);
    virtual ~HttpParser();

    HttpParser(const HttpParser&) = delete;
    HttpParser& operator=(const HttpParser&) = delete;

protected:
    // Returned by a hook to stop the library.
    static constexpr int kStop = -1;

    // Hands everything the device holds to the parser, in pieces of at most
    // 4096 bytes, while the owner takes input. False when the owner was
    // destroyed or its stream released meanwhile; the caller must then return
    // without touching anything. A call from inside a running one (through a
    // signal that a handler set off) does nothing: the running one goes on
    // with the bytes.
    bool feed(QIODevice* device);
    // Tells the parser that the stream has ended, which completes a body
    // delimited by the close. Same result as feed().
    bool feedEof();
    // Starts a fresh parser for a new stream; the previous one stops.
    void resetParser();
    // Stops reading this stream; later bytes are dropped.
    void stopParsing();
    // From inside a hook: stop with this failure, reported through
    // onParseError() once the library has returned.
    int stopWithError(int error);
    // From inside a hook: the library stops after the byte it is at, and
    // what follows stays in the device until the owner takes input again.
    void holdInput();
    bool isStopped() const;
    const http_parser& parser() const;

    // Counts the stream's signal handlers currently running, so that the
    // owner's destructor knows whether its socket may be deleted at once.
    class SocketScope
    {
    public:
        explicit SocketScope(const HttpParser* parser);
        ~SocketScope();
        SocketScope(const SocketScope&) = delete;
        SocketScope& operator=(const SocketScope&) = delete;

    private:
        std::shared_ptr<ParserCore> core_;
    };
    bool insideSocketSignal() const;

    virtual int onMessageBegin() = 0;
    virtual int onUrl(const char* at, size_t length);
    virtual int onStatus(const char* at, size_t length);
    virtual int onHeadersComplete() = 0;
    virtual int onBody(const char* at, size_t length) = 0;
    virtual int onMessageComplete() = 0;
    // True while the owner wants no more input; feed() then leaves the rest
    // in the device until it is called again. Checked between pieces: a hook
    // that wants none of the piece's remaining bytes calls holdInput().
    virtual bool inputPaused() const { return false; }
    // A message whose header lines are to be kept exists.
    virtual bool hasIncoming() const = 0;
    virtual void storeHeader(const QByteArray& field, const QByteArray& value) = 0;
    // A malformed or oversized message; runs outside the library's calls.
    virtual void onParseError(int error) = 0;

    // Stores the header line still pending (at the end of the head).
    void flushPendingHeader();

private:
    // Clears the pending header line and the head byte count of a new message.
    void beginHead();
    friend struct ParserCallbacks;
    int headerField(const char* at, size_t length);
    int headerValue(const char* at, size_t length);
    bool countHeadBytes(size_t length);
    bool reportErrors(const std::shared_ptr<ParserCore>& core);

    std::shared_ptr<ParserCore> core_;
    http_parser_type type_;
};

} // namespace details
} // namespace qhttp
