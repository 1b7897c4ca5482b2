#include "httpserver/StoreCatalog.h"

#include "package/FirmwareStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace pc {

StoreCatalog::StoreCatalog(const QString& dir)
    : dir_(dir)
{
    // Symbolic links could lead out of the store, so only plain files count.
    const QStringList entries =
        QDir(dir_).entryList(QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        if (FirmwareStore::isStoreName(entry))
            names_.append(entry);
    }
}

StoreCatalog StoreCatalog::current()
{
    return StoreCatalog(FirmwareStore::current().dir());
}

bool StoreCatalog::isPlainFile(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool StoreCatalog::existsAtAll(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

bool StoreCatalog::openPlain(QFile* file, const QString& path)
{
    // Not blocking: a pipe put in the store must not hold the thread.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            qWarning() << "A link, not served:" << path;
        else
            qWarning() << "Cannot open" << path << ":" << qt_error_string(error);
        return false;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        qWarning() << "Not a plain file, not served:" << path;
        ::close(fd);
        return false;
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        qWarning() << "Cannot read" << path << ":" << file->errorString();
        ::close(fd);
        return false;
    }
    return true;
}

QStringList StoreCatalog::withPrefix(const QString& prefix) const
{
    QStringList found;
    for (const QString& name : names_) {
        if (name.startsWith(prefix, Qt::CaseInsensitive) && !FirmwareStore::isCompanionName(name))
            found.append(name);
    }
    return found;
}

bool StoreCatalog::contains(const QString& name) const
{
    return FirmwareStore::isStoreName(name) && names_.contains(name);
}

} // namespace pc
} // namespace vesk
