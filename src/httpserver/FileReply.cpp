#include "httpserver/FileReply.h"

#include "http/QHttpConnection.h"
#include "http/QHttpServerResponse.h"
#include "package/StoreFolder.h"

#include <QDebug>

namespace vesk {
namespace pc {

FileReply::FileReply(qhttp::server::QHttpResponse* response)
    : QObject(response)
    , response_(response)
{
}

bool FileReply::start(qhttp::server::QHttpResponse* response, const QString& path)
{
    auto* reply = new FileReply(response);
    reply->path_ = path;
    if (!StoreFolder::openPath(path, &reply->file_)) {
        delete reply;
        return false;
    }
    reply->left_ = reply->file_.size();
    response->addHeaderInt("content-length", reply->left_);
    connect(response, &qhttp::server::QHttpResponse::allBytesWritten, reply, &FileReply::sendNext);
    reply->sendNext();
    return true;
}

void FileReply::sendNext()
{
    if (response_->isFinished())
        return;
    if (left_ == 0) {
        response_->end();
        return;
    }
    const QByteArray chunk = file_.read(qMin(left_, kChunkBytes));
    if (chunk.isEmpty()) {
        // The length is out already: only a cut connection tells the peer.
        qWarning() << "Cannot read" << path_ << "with" << left_ << "bytes to go:"
                   << file_.errorString();
        if (response_->connection())
            response_->connection()->killConnection();
        return;
    }
    left_ -= chunk.size();
    if (left_ == 0)
        response_->end(chunk);
    else
        response_->write(chunk);
}

} // namespace pc
} // namespace vesk
