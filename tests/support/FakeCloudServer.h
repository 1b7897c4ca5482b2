#pragma once

// The cloud log server and the firmware query server as the tests play
// them: a plain TCP server on 127.0.0.1 that records every request as it
// came (request line, header lines in order, body) and answers each as the
// test said. Lives in the thread that creates it; tests wait with the event
// loop running (QTest::qWaitFor).

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

class FakeCloudServer : public QObject
{
public:
    struct Request
    {
        QByteArray requestLine;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray path() const { return requestLine.split(' ').value(1); }
        QByteArray header(const QByteArray& name) const
        {
            for (const auto& header : headers) {
                if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                    return header.second;
            }
            return QByteArray();
        }
        QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    };

    struct Answer
    {
        int status = 200;
        QByteArray body = "{\"errorcode\":200,\"reason\":\"OK\"}";
        bool silent = false;  // reads the request and never answers
    };

    FakeCloudServer()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }

    bool listen() { return server_.listen(QHostAddress(QHostAddress::LocalHost), 0); }
    void close() { server_.close(); }
    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }
    void setAnswer(const Answer& answer) { answer_ = answer; }
    const QList<Request>& requests() const { return requests_; }
    void clear() { requests_.clear(); }
    bool waitForRequests(int count, int timeoutMs = 8000)
    {
        return QTest::qWaitFor([&] { return requests_.size() >= count; }, timeoutMs);
    }

private:
    // A request is complete with its head and the body its length names.
    void read(QTcpSocket* socket)
    {
        QByteArray got = socket->property("got").toByteArray() + socket->readAll();
        socket->setProperty("got", got);
        const int headEnd = got.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = got.left(headEnd).split('\n');
        request.requestLine = lines.value(0).trimmed();
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines.at(i).indexOf(':');
            request.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
        }
        if (got.size() < headEnd + 4 + request.header("content-length").toInt())
            return;
        request.body = got.mid(headEnd + 4);
        requests_.append(request);
        socket->setProperty("got", QByteArray());
        if (answer_.silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(answer_.status) + " Fake\r\ncontent-length: "
                      + QByteArray::number(answer_.body.size()) + "\r\nconnection: close\r\n\r\n" + answer_.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    Answer answer_;
    QList<Request> requests_;
};
