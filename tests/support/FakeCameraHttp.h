#pragma once

// The HTTP server of a camera in network mode, on a loopback address: answers
// each path from a table the test fills and records every request it gets.
// Runs on a thread of its own, as a camera would: the caller of a camera
// call is blocked meanwhile. Header-only, so that it needs nothing but the
// HTTP library.

#include "http/QHttpConnection.h"
#include "http/QHttpServer.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QPair>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#include <functional>

class FakeCameraHttp
{
public:
    struct Reply
    {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        // The body in pieces with pauseMs between them; a "content-length"
        // among the headers replaces the true one.
        QList<QByteArray> chunks;
        int pauseMs = 0;
        bool silent = false;  // reads the request and never answers
        bool cut = false;     // closes the connection after the chunks instead of ending
    };

    struct Seen
    {
        int method = 0;
        QString path;
        qhttp::THeaderHash headers;
        QByteArray body;
    };

    static Reply json(const QByteArray& body, int status = 200)
    {
        Reply reply;
        reply.status = status;
        reply.headers = {{"Content-Type", "application/json"}};
        reply.chunks = {body};
        return reply;
    }

    FakeCameraHttp()
    {
        context_.moveToThread(&thread_);
        thread_.start();
    }
    ~FakeCameraHttp()
    {
        onServerThread([this] {
            delete server_;
            server_ = nullptr;
        });
        thread_.quit();
        thread_.wait();
    }
    FakeCameraHttp(const FakeCameraHttp&) = delete;
    FakeCameraHttp& operator=(const FakeCameraHttp&) = delete;

    bool listen(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost))
    {
        bool listening = false;
        onServerThread([this, address, &listening] {
            server_ = new qhttp::server::QHttpServer;
            listening = server_->listen(address, 0, [this](qhttp::server::QHttpRequest* request,
                                                           qhttp::server::QHttpResponse* response) {
                request->collectData(-1);
                QObject::connect(request, &qhttp::server::QHttpRequest::end, response,
                                 [this, request, response] { answer(request, response); });
            });
            port_ = server_->tcpServer() ? server_->tcpServer()->serverPort() : 0;
        });
        return listening;
    }

    quint16 port() const { return port_; }
    void setReply(const QString& path, const Reply& reply)
    {
        QMutexLocker lock(&mutex_);
        replies_.insert(path, reply);
    }
    QList<Seen> requests() const
    {
        QMutexLocker lock(&mutex_);
        return seen_;
    }
    void clearRequests()
    {
        QMutexLocker lock(&mutex_);
        seen_.clear();
    }

private:
    void answer(qhttp::server::QHttpRequest* request, qhttp::server::QHttpResponse* response)
    {
        const QString path = request->url().path();
        QMutexLocker lock(&mutex_);
        seen_.append({int(request->method()), path, request->headers(), request->collectedData()});
        const bool known = replies_.contains(path);
        const Reply reply = replies_.value(path);
        lock.unlock();
        if (!known) {
            response->setStatusCode(qhttp::ESTATUS_NOT_FOUND);
            response->addHeaderInt("content-length", 0);
            response->end();
            return;
        }
        if (reply.silent)
            return;
        response->setStatusCode(qhttp::TStatusCode(reply.status));
        qint64 length = 0;
        for (const QByteArray& chunk : reply.chunks)
            length += chunk.size();
        bool lengthGiven = false;
        for (const auto& header : reply.headers) {
            response->addHeader(header.first, header.second);
            lengthGiven = lengthGiven || header.first.toLower() == "content-length";
        }
        if (!lengthGiven)
            response->addHeaderInt("content-length", length);
        sendFrom(response, reply, 0);
    }

    // The response dies with its connection; the timer goes with it.
    static void sendFrom(qhttp::server::QHttpResponse* response, const Reply& reply, int index)
    {
        QTimer::singleShot(index == 0 ? 0 : reply.pauseMs, response, [response, reply, index] {
            if (index >= reply.chunks.size()) {
                if (reply.cut)
                    response->connection()->killConnection();
                else
                    response->end();
                return;
            }
            response->write(reply.chunks.at(index));
            sendFrom(response, reply, index + 1);
        });
    }

    void onServerThread(const std::function<void()>& work)
    {
        QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject context_;  // on thread_: the server's side runs there
    qhttp::server::QHttpServer* server_ = nullptr;
    quint16 port_ = 0;
    mutable QMutex mutex_;  // replies_ and seen_
    QHash<QString, Reply> replies_;
    QList<Seen> seen_;
};
