#pragma once

#include <QFile>
#include <QObject>
#include <QString>

namespace qhttp {
namespace server {
class QHttpResponse;
}
} // namespace qhttp

namespace vesk {
namespace pc {

// Sends one file as a response body: its "content-length" first, then its
// bytes a chunk at a time as the socket drains, so memory stays flat in the
// file size. A child of the response, so it goes when the connection does.
class FileReply : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kChunkBytes = 512 * 1024;

    // Starts sending; false (logged, nothing sent) when the file cannot be
    // opened for reading or is not a plain file itself (a link, say).
    static bool start(qhttp::server::QHttpResponse* response, const QString& path);

private:
    explicit FileReply(qhttp::server::QHttpResponse* response);

    void sendNext();

    qhttp::server::QHttpResponse* response_;
    QFile file_;
    QString path_;
    qint64 left_ = 0;
};

} // namespace pc
} // namespace vesk
