#pragma once

#include "http/HttpParser.h"
#include "http/HttpSocket.h"
#include "http/QHttpClient.h"

#include <QBasicTimer>
#include <QPointer>

namespace qhttp {
namespace client {

class QHttpClientPrivate : public details::HttpParser
{
public:
    explicit QHttpClientPrivate(QHttpClient* q);
    ~QHttpClientPrivate() override;

    // Picks the socket for url: the kept-alive one when it fits, else a new
    // one. Returns whether it is already connected.
    bool chooseSocket(const QUrl& url, TBackend backend, bool reusable);
    void makeRequest(THttpMethod method, const QUrl& url);
    void startConnecting(const QUrl& url);
    void onConnected();
    // Reports the exchange as failed, once.
    void fail(const QString& reason);
    // fail(), then closes the connection.
    void failAndClose(const QString& reason);
    void onIdleTimeOut();
    void closeAndRelease();

    QHttpClient* const q_ptr;
    details::HttpSocket socket;
    TRequestHandler reqHandler;
    TResponseHandler resHandler;
    QPointer<QHttpRequest> request;
    QPointer<QHttpResponse> response;
    bool keepAlive = false;
    quint32 timeOut = 0;
    QBasicTimer idleTimer;
    QBasicTimer connectingTimer;
    QString target;
    THttpMethod method = EHTTP_GET;
    bool exchangeOpen = false;
    quint64 exchangeSerial = 0;
    bool insideRequestCall = false;
    QString errorString;
    QByteArray statusBuffer;

protected:
    int onMessageBegin() override;
    int onStatus(const char* at, size_t length) override;
    int onHeadersComplete() override;
    int onBody(const char* at, size_t length) override;
    int onMessageComplete() override;
    bool hasIncoming() const override;
    void storeHeader(const QByteArray& field, const QByteArray& value) override;
    void onParseError(int error) override;

private:
    template <class TSocket>
    void initSocket(TSocket* device);
    void connectSocket(QIODevice* device);
    void onReadyRead();
    void onBytesWritten();
    void onDisconnected();
    void onSocketError(const QString& text);
    void releaseStream();
    void restartIdleTimer();
    void emitFailure(const QPointer<QHttpResponse>& res, const QString& reason);
    bool isInformational() const;

    Q_DECLARE_PUBLIC(QHttpClient)
};

} // namespace client
} // namespace qhttp
