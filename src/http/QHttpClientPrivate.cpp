#include "http/QHttpClientPrivate.h"

#include "http/HttpLimits.h"
#include "http/QHttpClientRequestPrivate.h"
#include "http/QHttpClientResponsePrivate.h"

#include <QDebug>
#include <QLocalSocket>
#include <QMutex>
#include <QSet>
#include <QTcpSocket>

namespace qhttp {
namespace client {

namespace {

int portOf(const QUrl& url)
{
    return url.port() > 0 ? url.port() : 80;
}

QString targetOf(const QUrl& url, TBackend backend)
{
    if (backend == ELocalSocket)
        return QStringLiteral("file:") + url.path(QUrl::FullyDecoded);
    return QStringLiteral("%1://%2:%3")
        .arg(url.scheme().toLower(), url.host(QUrl::FullyDecoded).toLower())
        .arg(portOf(url));
}

bool headerIs(const THeaderHash& headers, const QByteArray& field, const char* value)
{
    return headers.value(field).trimmed().compare(value, Qt::CaseInsensitive) == 0;
}

// The key of host under the reserved top-level domain "invalid", with or
// without the root's dot; empty for any other host.
QString reservedInvalidKey(const QString& host)
{
    QString name = host.toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name == QLatin1String("invalid") || name.endsWith(QLatin1String(".invalid")) ? name : QString();
}

// Once per host and process: every request to it fails alike.
void noteNotConfigured(const QString& key, const QString& host)
{
    static QMutex mutex;
    static QSet<QString> noted;
    QMutexLocker lock(&mutex);
    if (noted.contains(key))
        return;
    noted.insert(key);
    qWarning().noquote() << "Server not configured:" << host << "(a .invalid name never resolves)";
}

} // namespace

QHttpClientPrivate::QHttpClientPrivate(QHttpClient* q)
    : details::HttpParser(HTTP_RESPONSE)
    , q_ptr(q)
{
}

QHttpClientPrivate::~QHttpClientPrivate()
{
    idleTimer.stop();
    connectingTimer.stop();
    socket.destroy(insideSocketSignal());
}

bool QHttpClientPrivate::chooseSocket(const QUrl& url, TBackend backend, bool reusable)
{
    const QString key = targetOf(url, backend);
    if (reusable && keepAlive && socket.backend == backend && target == key && socket.isConnected())
        return true;
    if (socket.exists())
        releaseStream();
    keepAlive = false;
    target = key;
    if (backend == ELocalSocket)
        initSocket(new QLocalSocket(q_ptr));
    else
        initSocket(new QTcpSocket(q_ptr));
    return false;
}

template <class TSocket>
void QHttpClientPrivate::initSocket(TSocket* device)
{
    Q_Q(QHttpClient);
    socket.adopt(device);
    connectSocket(device);
    QObject::connect(device, &TSocket::connected, q, [this] { onConnected(); });
    QObject::connect(device, &TSocket::disconnected, q, [this] { onDisconnected(); });
    QObject::connect(device, &TSocket::errorOccurred, q, [this](auto error) {
        if (!details::isPeerClosed(error)) // disconnected follows that one
            onSocketError(socket.errorString());
    });
}

void QHttpClientPrivate::connectSocket(QIODevice* device)
{
    QObject::connect(device, &QIODevice::readyRead, q_ptr, [this] { onReadyRead(); });
    QObject::connect(device, &QIODevice::bytesWritten, q_ptr, [this] { onBytesWritten(); });
}

void QHttpClientPrivate::makeRequest(THttpMethod requestMethod, const QUrl& url)
{
    Q_Q(QHttpClient);
    if (request)
        request->deleteLater();
    request = new QHttpRequest(q);
    QHttpRequestPrivate* rd = request->d_func();
    rd->method = requestMethod;
    rd->url = url;
    method = requestMethod;
    QObject::connect(request, &QHttpRequest::done, q,
                     [this](bool wasTheLastPacket) { keepAlive = !wasTheLastPacket; });
}

void QHttpClientPrivate::startConnecting(const QUrl& url)
{
    if (socket.local) {
        socket.local->connectToServer(url.path(QUrl::FullyDecoded), QIODevice::ReadWrite);
    } else if (socket.tcp) {
        const QString host = url.host(QUrl::FullyDecoded);
        // Such a name stands for a server nobody configured: it is not sent
        // to the resolver, which could only answer that it does not exist.
        const QString reserved = reservedInvalidKey(host);
        if (!reserved.isEmpty()) {
            noteNotConfigured(reserved, host);
            failAndClose(QStringLiteral("server not configured: %1 is a .invalid name").arg(host));
            return;
        }
        socket.tcp->connectToHost(host, static_cast<quint16>(portOf(url)), QIODevice::ReadWrite,
                                  QAbstractSocket::AnyIPProtocol);
    }
}

void QHttpClientPrivate::onConnected()
{
    Q_Q(QHttpClient);
    SocketScope scope(this);
    connectingTimer.stop();
    restartIdleTimer();
    QHttpRequest* req = request;
    if (!req)
        return;
    if (reqHandler)
        reqHandler(req);
    else
        q->onRequestReady(req);
}

void QHttpClientPrivate::restartIdleTimer()
{
    if (timeOut > 0)
        idleTimer.start(static_cast<int>(timeOut), Qt::CoarseTimer, q_ptr);
}

void QHttpClientPrivate::onReadyRead()
{
    SocketScope scope(this);
    restartIdleTimer();
    feed(socket.device());
}

void QHttpClientPrivate::onBytesWritten()
{
    SocketScope scope(this);
    restartIdleTimer();
    if (socket.bytesToWrite() == 0 && request)
        emit request->allBytesWritten();
}

// Bytes still buffered and the end of the stream may complete a response
// whose length is the connection; anything else still open has failed.
void QHttpClientPrivate::onDisconnected()
{
    Q_Q(QHttpClient);
    SocketScope scope(this);
    const QPointer<QHttpClient> self(q);
    if (!feed(socket.device()) || !feedEof())
        return;
    if (exchangeOpen) {
        const quint64 serial = exchangeSerial;
        fail(QStringLiteral("connection closed before the response was complete"));
        if (!self || serial != exchangeSerial)
            return; // the next exchange has released this stream already
    }
    releaseStream();
    emit q->disconnected();
}

void QHttpClientPrivate::onSocketError(const QString& text)
{
    SocketScope scope(this);
    failAndClose(text);
}

void QHttpClientPrivate::onIdleTimeOut()
{
    idleTimer.stop();
    connectingTimer.stop();
    failAndClose(QStringLiteral("no traffic for %1 ms").arg(timeOut));
}

// A receiver of the failure may have started the next exchange, on a new
// connection; that one stays.
void QHttpClientPrivate::failAndClose(const QString& reason)
{
    const QPointer<QHttpClient> self(q_ptr);
    const quint64 serial = exchangeSerial;
    fail(reason);
    if (self && serial == exchangeSerial)
        closeAndRelease();
}

void QHttpClientPrivate::closeAndRelease()
{
    const QPointer<QHttpClient> self(q_ptr);
    socket.abort(); // a connected socket reports the disconnection at once
    if (self && socket.exists())
        releaseStream();
}

void QHttpClientPrivate::releaseStream()
{
    idleTimer.stop();
    socket.release();
    resetParser();
    if (request)
        request->deleteLater();
    if (response)
        response->deleteLater();
    request.clear();
    response.clear();
    keepAlive = false;
}

void QHttpClientPrivate::fail(const QString& reason)
{
    if (!exchangeOpen)
        return;
    exchangeOpen = false;
    keepAlive = false; // a broken stream is never reused
    errorString = reason;
    connectingTimer.stop();
    qWarning() << "HTTP exchange with" << target << "failed:" << reason;
    if (!insideRequestCall) {
        emitFailure(response, reason);
        return;
    }
    // The caller of request() has not had a chance to connect to failed yet.
    const QPointer<QHttpResponse> res = response;
    const quint64 serial = exchangeSerial;
    QMetaObject::invokeMethod(q_ptr, [this, res, reason, serial] {
        if (serial == exchangeSerial)
            emitFailure(res, reason);
    }, Qt::QueuedConnection);
}

void QHttpClientPrivate::emitFailure(const QPointer<QHttpResponse>& res, const QString& reason)
{
    const QPointer<QHttpClient> self(q_ptr);
    if (res && !res->d_func()->isFinished()) {
        res->d_func()->fail(res, reason);
        if (!self)
            return;
    }
    emit q_ptr->failed(reason);
}

int QHttpClientPrivate::onMessageBegin()
{
    // Whatever follows a complete answer is not one, and must not end the
    // exchange a second time.
    if (!exchangeOpen) {
        qWarning() << "Unasked response from" << target << "; closing the connection";
        return stopWithError(kErrUnsolicited);
    }
    statusBuffer.clear();
    if (response)
        response->deleteLater();
    response = new QHttpResponse(q_ptr);
    return 0;
}

int QHttpClientPrivate::onStatus(const char* at, size_t length)
{
    statusBuffer.append(at, static_cast<int>(length));
    return 0;
}

bool QHttpClientPrivate::hasIncoming() const
{
    return !response.isNull();
}

void QHttpClientPrivate::storeHeader(const QByteArray& field, const QByteArray& value)
{
    response->d_func()->headers.insert(field, value);
}

bool QHttpClientPrivate::isInformational() const
{
    const unsigned int status = parser().status_code;
    return status >= 100 && status < 200 && status != 101;
}

int QHttpClientPrivate::onHeadersComplete()
{
    if (!response)
        return 0;
    flushPendingHeader();
    QHttpResponsePrivate* rd = response->d_func();
    rd->status = static_cast<TStatusCode>(parser().status_code);
    rd->version = QStringLiteral("%1.%2").arg(parser().http_major).arg(parser().http_minor);
    rd->statusString = QString::fromUtf8(statusBuffer);
    if (isInformational())
        return 0; // the real response follows
    const bool http10 = parser().http_major == 1 && parser().http_minor == 0;
    if (headerIs(rd->headers, "connection", "close")
        || (http10 && !headerIs(rd->headers, "connection", "keep-alive")))
        keepAlive = false;

    Q_Q(QHttpClient);
    const bool noBody = method == EHTTP_HEAD;
    const QPointer<QHttpClient> self(q);
    QHttpResponse* res = response;
    if (resHandler)
        resHandler(res);
    else
        q->onResponseReady(res);
    if (!self)
        return kStop;
    return noBody ? 1 : 0; // 1: the head of a HEAD answer announces a body it has not
}

int QHttpClientPrivate::onBody(const char* at, size_t length)
{
    if (response && !response->d_func()->appendBody(response, at, length))
        return stopWithError(kErrBodyTooLarge);
    return 0;
}

int QHttpClientPrivate::onMessageComplete()
{
    if (isInformational())
        return 0;
    if (exchangeOpen) {
        exchangeOpen = false;
        errorString.clear();
    }
    if (response) // the caller may have deleted it
        response->d_func()->complete(response);
    return 0;
}

void QHttpClientPrivate::onParseError(int error)
{
    QString reason = QStringLiteral("malformed response: %1").arg(errorText(error));
    if (error == HPE_HEADER_OVERFLOW)
        reason = QStringLiteral("response head over %1 bytes").arg(limits::kMaxHeaderBytes);
    else if (error == kErrBodyTooLarge)
        reason = QStringLiteral("response body over its collecting limit");
    else if (error == kErrUnsolicited)
        reason = QStringLiteral("bytes after the response");
    failAndClose(reason);
}

} // namespace client
} // namespace qhttp
