#include "upgrade/LocalFiles.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QSaveFile>

#include <atomic>

namespace vesk {
namespace pc {

bool LocalFiles::readAll(const QString& path, QByteArray* data, const char* failure, qint64 maxSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical() << failure << path << file.errorString();
        return false;
    }
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

bool LocalFiles::writeAll(const QString& path, const QList<QByteArray>& pieces,
                          const char* writeFailure)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCritical() << "open file failed" << path << file.errorString();
        return false;
    }
    for (int i = 0; i < pieces.size(); ++i) {
        if (file.write(pieces[i]) != pieces[i].size()) {
            qCritical().noquote() << writeFailure << i << ", len =" << pieces[i].size() << path
                                  << file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    // The rename into place is the last step: a failure here leaves no file.
    if (!file.commit()) {
        qCritical() << "Cannot complete" << path << file.errorString();
        return false;
    }
    return true;
}

QString LocalFiles::uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(counter++);
}

} // namespace pc
} // namespace vesk
