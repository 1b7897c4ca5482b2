#include "upgrade/LocalFiles.h"

#include "package/StoreFolder.h"

#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

bool readOpened(QFile& file, const QString& path, QByteArray* data, qint64 maxSize)
{
    if (file.size() > maxSize) {
        qCritical() << "File too large:" << path << file.size() << "limit" << maxSize;
        return false;
    }
    *data = file.readAll();
    if (data->size() != file.size()) {
        qCritical() << "read failed " << path << file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool LocalFiles::readAll(const QString& path, QByteArray* data, const char* failure, qint64 maxSize)
{
    QFile file;
    if (!StoreFolder::openPath(path, &file)) {
        qCritical() << failure << path;
        return false;
    }
    return readOpened(file, path, data, maxSize);
}

bool LocalFiles::readInstalled(const QString& path, QByteArray* data, const char* failure, qint64 maxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical() << failure << path << file.errorString();
        return false;
    }
    return readOpened(file, path, data, maxSize);
}

bool LocalFiles::writeAll(const QString& path, const QList<QByteArray>& pieces,
                          const char* writeFailure)
{
    StoreFolder::NewFile file(path);
    if (!file.create()) {
        qCritical() << "open file failed" << path;
        return false;
    }
    for (int i = 0; i < pieces.size(); ++i) {
        if (file.write(pieces[i]) != pieces[i].size()) {
            qCritical().noquote() << writeFailure << i << ", len =" << pieces[i].size() << path
                                  << file.errorString();
            return false;
        }
    }
    // The rename into place is the last step: a failure here leaves no file.
    return file.commit();
}

} // namespace pc
} // namespace vesk
