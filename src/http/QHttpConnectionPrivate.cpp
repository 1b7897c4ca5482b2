#include "http/QHttpConnectionPrivate.h"

#include "http/HttpLimits.h"
#include "http/QHttpServerRequestPrivate.h"
#include "http/QHttpServerResponsePrivate.h"

#include <QDebug>
#include <QLocalSocket>
#include <QTcpSocket>

namespace qhttp {
namespace server {

QHttpConnectionPrivate::QHttpConnectionPrivate(QHttpConnection* q)
    : details::HttpParser(HTTP_REQUEST)
    , q_ptr(q)
    , timeOut(limits::kDefaultServerIdleMs)
    , headTimeOut(limits::kDefaultServerHeadMs)
    , requestTimeOut(limits::kDefaultServerRequestMs)
    , maxBodyBytes(limits::kMaxServerBodyBytes)
{
}

QHttpConnectionPrivate::~QHttpConnectionPrivate()
{
    idleTimer.stop();
    requestTimer.stop();
    socket.destroy(insideSocketSignal());
}

void QHttpConnectionPrivate::initTcpSocket(qintptr descriptor)
{
    initSocket(new QTcpSocket(q_ptr), descriptor);
}

void QHttpConnectionPrivate::initLocalSocket(qintptr descriptor)
{
    initSocket(new QLocalSocket(q_ptr), descriptor);
}

template <class TSocket>
void QHttpConnectionPrivate::initSocket(TSocket* device, qintptr descriptor)
{
    Q_Q(QHttpConnection);
    socket.adopt(device);
    if (!device->setSocketDescriptor(descriptor)) {
        qWarning() << "Cannot adopt socket" << descriptor << ":" << device->errorString();
        socket.release();
        q->deleteLater();
        return;
    }
    connectSocket(device);
    QObject::connect(device, &TSocket::disconnected, q, [this] {
        SocketScope scope(this);
        release();
    });
    QObject::connect(device, &TSocket::errorOccurred, q, [this](auto error) {
        if (details::isPeerClosed(error))
            return; // disconnected follows
        SocketScope scope(this);
        qWarning() << "Socket error on" << socket.peerText() << ":" << socket.errorString();
        socket.abort();
    });
}

void QHttpConnectionPrivate::connectSocket(QIODevice* device)
{
    Q_Q(QHttpConnection);
    QObject::connect(device, &QIODevice::readyRead, q, [this] { onReadyRead(); });
    QObject::connect(device, &QIODevice::bytesWritten, q, [this] { onBytesWritten(); });
    restartIdleTimer();
    // The first head's time runs from acceptance: a peer that sends nothing
    // would otherwise hold its connection for the whole idle time.
    startRequestTimer();
}

void QHttpConnectionPrivate::onReadyRead()
{
    SocketScope scope(this);
    // Bytes held back unread are not traffic: a peer that leaves an answer
    // unread and sends a byte now and then would hold its connection for ever.
    if (!inputPaused())
        restartIdleTimer();
    // Blank lines before a head count too: the parser skips them silently.
    startRequestTimer();
    if (!feed(socket.device()))
        return;
    closeIfRequested();
}

void QHttpConnectionPrivate::onBytesWritten()
{
    SocketScope scope(this);
    restartIdleTimer();
    if (socket.bytesToWrite() == 0 && response) {
        const QPointer<QHttpConnection> self(q_ptr);
        emit response->allBytesWritten();
        if (!self)
            return;
    }
    readHeldBack();
}

// Requests held back are buffered already: no readyRead brings them.
void QHttpConnectionPrivate::readHeldBack()
{
    SocketScope scope(this);
    if (!inputPaused() && socket.exists() && socket.device()->bytesAvailable() > 0) {
        startRequestTimer();
        if (!feed(socket.device()))
            return;
    }
    closeIfRequested();
}

// Answers go out one after the other, each whole: a request is read only
// once the answer to the last one has ended. A peer that sends requests
// without reading the answers would otherwise make the write queue grow
// without bound.
bool QHttpConnectionPrivate::inputPaused() const
{
    return answerAwaited || overPendingBound();
}

bool QHttpConnectionPrivate::overPendingBound() const
{
    return socket.bytesToWrite() > limits::kMaxPendingWriteBytes;
}

// Checked after every request, not only between the pieces a read takes:
// one piece may hold many small requests.
void QHttpConnectionPrivate::holdForAnswer()
{
    if (!response) {
        requestClose(); // dropped by the handler: no answer is coming
        return;
    }
    answerAwaited = !response->isFinished();
    if (inputPaused())
        holdInput();
}

void QHttpConnectionPrivate::restartIdleTimer()
{
    if (timeOut > 0 && socket.exists())
        idleTimer.start(static_cast<int>(timeOut), Qt::CoarseTimer, q_ptr);
}

void QHttpConnectionPrivate::onIdleTimeOut()
{
    qInfo() << "Connection idle for" << timeOut << "ms, closing" << socket.peerText();
    const QPointer<QHttpConnection> self(q_ptr);
    socket.abort();
    if (self && socket.exists())
        release(); // a socket that was no longer connected reports nothing
}

void QHttpConnectionPrivate::startRequestTimer()
{
    if (!requestTimer.isActive() && !headRead && !answerAwaited && !isStopped() && socket.exists()) {
        requestClock.start();
        requestTimer.start(static_cast<int>(headTimeOut), Qt::CoarseTimer, q_ptr);
    }
}

void QHttpConnectionPrivate::setHeadTimeOut(quint32 timeOut)
{
    headTimeOut = timeOut;
    if (requestTimer.isActive() && !headRead) {
        requestTimer.stop();
        startRequestTimer();
    }
}

// The idle timer alone lets a peer that sends a byte now and then hold the
// connection for ever.
void QHttpConnectionPrivate::onRequestTimeOut()
{
    requestTimer.stop();
    if (isStopped() || !socket.exists())
        return;
    const quint32 limit = headRead ? requestTimeOut : headTimeOut;
    if (overPendingBound()) {
        // held back by our own unsent answers, not by the peer
        requestTimer.start(static_cast<int>(limit), Qt::CoarseTimer, q_ptr);
        return;
    }
    stopParsing();
    const QString what = headRead ? QStringLiteral("request") : QStringLiteral("request head");
    refuseRequest(ESTATUS_REQUEST_TIMEOUT, QStringLiteral("%1 not complete within %2 ms").arg(what).arg(limit));
}

void QHttpConnectionPrivate::onResponseDone(bool wasTheLastPacket)
{
    if (wasTheLastPacket) {
        requestClose();
        return;
    }
    if (!answerAwaited)
        return;
    answerAwaited = false;
    // Queued: the next request's handler does not run inside the code that
    // ended this answer.
    QMetaObject::invokeMethod(q_ptr, [this] { readHeldBack(); }, Qt::QueuedConnection);
}

void QHttpConnectionPrivate::requestClose()
{
    closeRequested = true;
    if (!insideSocketSignal())
        closeIfRequested();
}

// Closing may report the disconnection at once, so it waits until the parser
// has returned: the request being read still ends normally.
void QHttpConnectionPrivate::closeIfRequested()
{
    if (!closeRequested || !socket.exists())
        return;
    socket.flush();
    socket.disconnectFromPeer();
}

void QHttpConnectionPrivate::release()
{
    Q_Q(QHttpConnection);
    if (!socket.exists())
        return;
    idleTimer.stop();
    requestTimer.stop();
    socket.release();
    resetParser();
    q->deleteLater();
    const QPointer<QHttpRequest> req = request;
    const QPointer<QHttpResponse> res = response;
    request.clear();
    response.clear();
    if (res)
        res->deleteLater();
    const QPointer<QHttpConnection> self(q);
    if (req) {
        req->deleteLater();
        if (!req->d_func()->isFinished()) {
            qInfo() << "Connection closed before the request was complete";
            req->d_func()->fail(req, QStringLiteral("connection closed before the request was complete"));
            if (!self)
                return;
        }
    }
    emit q->disconnected();
}

int QHttpConnectionPrivate::onMessageBegin()
{
    if (closeRequested) {
        stopParsing(); // nothing after a closing response is read
        return kStop;
    }
    urlBuffer.clear();
    urlBuffer.reserve(128);
    bodyBytes = 0;
    headRead = false;
    startRequestTimer();
    if (request)
        request->deleteLater();
    request = new QHttpRequest(q_ptr);
    return 0;
}

int QHttpConnectionPrivate::onUrl(const char* at, size_t length)
{
    urlBuffer.append(at, static_cast<int>(length));
    return 0;
}

bool QHttpConnectionPrivate::hasIncoming() const
{
    return !request.isNull();
}

void QHttpConnectionPrivate::storeHeader(const QByteArray& field, const QByteArray& value)
{
    request->d_func()->headers.insert(field, value);
}

int QHttpConnectionPrivate::onHeadersComplete()
{
    // The body has what is left of the whole request's time.
    const qint64 left = static_cast<qint64>(requestTimeOut) - requestClock.elapsed();
    requestTimer.start(static_cast<int>(qMax<qint64>(left, 0)), Qt::CoarseTimer, q_ptr);
    if (!request)
        return 0;
    flushPendingHeader();
    fillRequestHead();
    newResponse();
    headRead = true;
    if (declaredBodyTooLarge())
        return stopWithError(kErrBodyTooLarge);

    Q_Q(QHttpConnection);
    const QPointer<QHttpConnection> self(q);
    QHttpRequest* req = request;
    QHttpResponse* res = response;
    if (handler)
        handler(req, res);
    else
        emit q->newRequest(req, res);
    return self ? 0 : kStop;
}

void QHttpConnectionPrivate::fillRequestHead()
{
    QHttpRequestPrivate* rd = request->d_func();
    const int zero = urlBuffer.indexOf('\0');
    const QByteArray url = zero < 0 ? urlBuffer : urlBuffer.left(zero);
    rd->url = QUrl(QString::fromUtf8(url), QUrl::TolerantMode);
    rd->method = static_cast<THttpMethod>(parser().method);
    rd->version = QStringLiteral("%1.%2").arg(parser().http_major).arg(parser().http_minor);
    rd->remoteAddress = socket.peerAddress();
    rd->remotePort = socket.peerPort();
}

void QHttpConnectionPrivate::newResponse()
{
    if (response)
        response->deleteLater();
    response = new QHttpResponse(q_ptr);
    QObject::connect(response, &QHttpResponse::done, q_ptr,
                     [this](bool wasTheLastPacket) { onResponseDone(wasTheLastPacket); });
}

bool QHttpConnectionPrivate::declaredBodyTooLarge() const
{
    return (parser().flags & F_CONTENTLENGTH)
        && parser().content_length > static_cast<quint64>(maxBodyBytes);
}

int QHttpConnectionPrivate::onBody(const char* at, size_t length)
{
    bodyBytes += static_cast<qint64>(length);
    if (bodyBytes > maxBodyBytes)
        return stopWithError(kErrBodyTooLarge);
    if (request && !request->d_func()->appendBody(request, at, length))
        return stopWithError(kErrBodyTooLarge);
    return 0;
}

int QHttpConnectionPrivate::onMessageComplete()
{
    requestTimer.stop();
    headRead = false;
    if (request) {
        const QPointer<QHttpConnection> self(q_ptr);
        request->d_func()->complete(request);
        if (!self)
            return kStop;
    }
    holdForAnswer();
    return 0;
}

void QHttpConnectionPrivate::onParseError(int error)
{
    TStatusCode code = ESTATUS_BAD_REQUEST;
    QString reason = QStringLiteral("malformed request: %1").arg(errorText(error));
    if (error == HPE_HEADER_OVERFLOW) {
        code = ESTATUS_REQUEST_HEADER_FIELDS_TOO_LARGE;
        reason = QStringLiteral("request head over %1 bytes").arg(limits::kMaxHeaderBytes);
    } else if (error == kErrBodyTooLarge) {
        code = ESTATUS_REQUEST_ENTITY_TOO_LARGE;
        reason = QStringLiteral("request body over its limit");
    }
    refuseRequest(code, reason);
}

void QHttpConnectionPrivate::refuseRequest(TStatusCode code, const QString& reason)
{
    requestTimer.stop();
    qWarning() << "Refusing request from" << socket.peerText() << ":" << reason;

    const QPointer<QHttpConnection> self(q_ptr);
    if (request && !request->d_func()->isFinished()) {
        request->d_func()->fail(request, reason);
        if (!self)
            return;
    }
    answerError(code);
}

// The error goes out on the current response unless an answer to this
// request has begun or one to an earlier request is still going out; then
// the connection just closes.
void QHttpConnectionPrivate::answerError(TStatusCode code)
{
    const QHttpResponsePrivate* latest = response ? response->d_func() : nullptr;
    if (latest && latest->headerWritten && (headRead || !latest->finished)) {
        requestClose();
        return;
    }
    if (!latest || latest->finished)
        newResponse();
    QHttpResponsePrivate* rd = response->d_func();
    rd->headers.clear();
    rd->status = code;
    rd->headers.insert(QByteArrayLiteral("connection"), QByteArrayLiteral("close"));
    rd->headers.insert(QByteArrayLiteral("content-length"), QByteArrayLiteral("0"));
    response->end();
}

} // namespace server
} // namespace qhttp
