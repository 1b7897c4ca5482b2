#pragma once

#include "http/HttpParser.h"
#include "http/HttpSocket.h"
#include "http/QHttpConnection.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>

namespace qhttp {
namespace server {

class QHttpConnectionPrivate : public details::HttpParser
{
public:
    explicit QHttpConnectionPrivate(QHttpConnection* q);
    ~QHttpConnectionPrivate() override;

    void initTcpSocket(qintptr descriptor);
    void initLocalSocket(qintptr descriptor);
    void restartIdleTimer();
    void onIdleTimeOut();
    // Starts a request's deadline with its head's time, unless it runs
    // already, a head has been read or the last answer has not ended.
    void startRequestTimer();
    // A running head deadline starts again with the new time.
    void setHeadTimeOut(quint32 timeOut);
    void onRequestTimeOut();
    // Closes once the current read has finished, or now outside of one.
    void requestClose();
    void release();

    QHttpConnection* const q_ptr;
    details::HttpSocket socket;
    quint32 timeOut;
    QBasicTimer idleTimer;
    quint32 headTimeOut;
    quint32 requestTimeOut;
    // One deadline a request: the head's time from its first byte (the first
    // request's from acceptance), then the whole request's from that point.
    QBasicTimer requestTimer;
    QElapsedTimer requestClock;
    QByteArray urlBuffer;
    TServerHandler handler;
    QPointer<QHttpRequest> request;
    QPointer<QHttpResponse> response;
    qint64 bodyBytes = 0;
    qint64 maxBodyBytes;
    bool closeRequested = false;
    // A request is being read and its head is complete, so the latest
    // response is the answer to it.
    bool headRead = false;
    // A request has been read whole and its answer has not ended yet.
    bool answerAwaited = false;

protected:
    int onMessageBegin() override;
    int onUrl(const char* at, size_t length) override;
    int onHeadersComplete() override;
    int onBody(const char* at, size_t length) override;
    int onMessageComplete() override;
    bool hasIncoming() const override;
    void storeHeader(const QByteArray& field, const QByteArray& value) override;
    void onParseError(int error) override;
    bool inputPaused() const override;

private:
    template <class TSocket>
    void initSocket(TSocket* device, qintptr descriptor);
    void connectSocket(QIODevice* device);
    void onReadyRead();
    void onBytesWritten();
    void readHeldBack();
    void holdForAnswer();
    bool overPendingBound() const;
    void onResponseDone(bool wasTheLastPacket);
    void closeIfRequested();
    void fillRequestHead();
    void newResponse();
    void refuseRequest(TStatusCode code, const QString& reason);
    void answerError(TStatusCode code);
    bool declaredBodyTooLarge() const;

    Q_DECLARE_PUBLIC(QHttpConnection)
};

} // namespace server
} // namespace qhttp
