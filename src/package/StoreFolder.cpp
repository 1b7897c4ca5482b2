#include "package/StoreFolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

constexpr int kCreateAttempts = 16;  // names taken by someone else first
constexpr int kMaxDepth = 16;  // of folders inside a folder being removed

QByteArray encoded(const QString& name)
{
    return QFile::encodeName(name);
}

QString withSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

int openFolder(const QString& dir)
{
    const int fd = ::open(encoded(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        qWarning() << "Cannot open folder" << dir << ":" << qt_error_string(errno);
    return fd;
}

void closeFd(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

// The entry names of an open folder, "." and ".." left out.
std::vector<QByteArray> entriesOf(int dirFd)
{
    std::vector<QByteArray> names;
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        qWarning() << "Cannot list a folder:" << qt_error_string(errno);
        closeFd(listFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool isFolderAt(int dirFd, const QByteArray& name)
{
    struct stat status;
    return ::fstatat(dirFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
}

// Whether the open file fd is a plain file whose one link is name in
// dirFd. Its count alone can drop after the open (the name swapped away from
// a file that has another name elsewhere), and one look at the name is not
// enough either: the name is looked up before its file's count is read, so
// a swap in between shows the old file with the new count. Two looks at the
// name, each followed by the open file's own count, must all agree.
bool isOnlyNameOf(int dirFd, const QByteArray& name, int fd)
{
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return false;
    for (int look = 0; look < 2; ++look) {
        struct stat named;
        struct stat now;
        if (::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != opened.st_dev
            || named.st_ino != opened.st_ino || named.st_nlink != 1 || ::fstat(fd, &now) != 0 || now.st_nlink != 1)
            return false;
    }
    return true;
}

// Empties the folder name of dirFd through a descriptor of its own and
// removes it; a link put in its place at any moment is never followed.
bool removeTreeAt(int dirFd, const QByteArray& name, int depth)
{
    const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        qWarning() << "Not a folder, not removed:" << name << qt_error_string(errno);
        return false;
    }
    bool ok = true;
    for (const QByteArray& entry : entriesOf(fd)) {
        if (::unlinkat(fd, entry.constData(), 0) == 0 || errno == ENOENT)
            continue;
        if (depth < kMaxDepth && isFolderAt(fd, entry)) {
            ok = removeTreeAt(fd, entry, depth + 1) && ok;
            continue;
        }
        qWarning() << "Cannot remove" << entry << "in" << name << ":" << qt_error_string(errno);
        ok = false;
    }
    ::close(fd);
    if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0) {
        qWarning() << "Cannot remove folder" << name << ":" << qt_error_string(errno);
        return false;
    }
    return ok;
}

} // namespace

StoreFolder::StoreFolder(const QString& dir)
    : dir_(withSlash(dir))
    , fd_(openFolder(dir_))
{
}

StoreFolder::~StoreFolder()
{
    closeFd(fd_);
}

QString StoreFolder::folderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral("./") : path.left(slash + 1);
}

QString StoreFolder::nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool StoreFolder::openPath(const QString& path, QFile* file)
{
    return StoreFolder(folderOf(path)).open(nameOf(path), file);
}

bool StoreFolder::removePath(const QString& path)
{
    return StoreFolder(folderOf(path)).remove(nameOf(path));
}

StoreFolder::Status StoreFolder::statusOfPath(const QString& path)
{
    return StoreFolder(folderOf(path)).status(nameOf(path));
}

QString StoreFolder::uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(counter++);
}

StoreFolder::Status StoreFolder::statusAt(int dirFd, const QByteArray& name)
{
    Status result;
    struct stat status;
    if (::fstatat(dirFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return result;
    result.kind = S_ISREG(status.st_mode) && status.st_nlink == 1 ? Kind::Plain : Kind::Other;
    result.size = status.st_size;
    result.modified = QDateTime::fromMSecsSinceEpoch(qint64(status.st_mtim.tv_sec) * 1000
                                                     + status.st_mtim.tv_nsec / 1000000);
    return result;
}

StoreFolder::Status StoreFolder::status(const QString& name) const
{
    return isOpen() ? statusAt(fd_, encoded(name)) : Status();
}

QStringList StoreFolder::plainFiles() const
{
    QStringList names;
    if (!isOpen())
        return names;
    for (const QByteArray& entry : entriesOf(fd_)) {
        if (statusAt(fd_, entry).kind == Kind::Plain)
            names.append(QFile::decodeName(entry));
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QStringList StoreFolder::folders(const QString& prefix) const
{
    QStringList names;
    if (!isOpen())
        return names;
    for (const QByteArray& entry : entriesOf(fd_)) {
        const QString name = QFile::decodeName(entry);
        if (name.startsWith(prefix) && isFolderAt(fd_, entry))
            names.append(name);
    }
    return names;
}

bool StoreFolder::open(const QString& name, QFile* file) const
{
    if (!isOpen())
        return false;
    // Not blocking: a pipe put in the store must not hold the thread.
    const int fd = ::openat(fd_, encoded(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            qWarning() << "A link, not read:" << dir_ + name;
        else
            qWarning() << "Cannot open" << dir_ + name << ":" << qt_error_string(error);
        return false;
    }
    if (!isOnlyNameOf(fd_, encoded(name), fd)) {
        qWarning() << "Not a plain file of its own, not read:" << dir_ + name;
        ::close(fd);
        return false;
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        qWarning() << "Cannot read" << dir_ + name << ":" << file->errorString();
        ::close(fd);
        return false;
    }
    return true;
}

bool StoreFolder::remove(const QString& name) const
{
    if (isOpen() && (::unlinkat(fd_, encoded(name).constData(), 0) == 0 || errno == ENOENT))
        return true;
    qWarning() << "Cannot remove" << dir_ + name << ":" << qt_error_string(errno);
    return false;
}

bool StoreFolder::removeTree(const QString& name) const
{
    return isOpen() && removeTreeAt(fd_, encoded(name), 0);
}

QString StoreFolder::makeFolder(const QString& prefix) const
{
    for (int attempt = 0; isOpen() && attempt < kCreateAttempts; ++attempt) {
        const QString name = prefix + uniqueSuffix() + QLatin1Char('-')
            + QString::number(QRandomGenerator::global()->generate(), 36);
        if (::mkdirat(fd_, encoded(name).constData(), 0700) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    qCritical() << "Cannot create a folder in" << dir_ << ":" << qt_error_string(errno);
    return QString();
}

bool StoreFolder::moveTo(const QString& name, const StoreFolder& to, const QString& toName) const
{
    if (isOpen() && to.isOpen()
        && ::renameat(fd_, encoded(name).constData(), to.fd_, encoded(toName).constData()) == 0)
        return true;
    qCritical() << "Cannot move" << dir_ + name << "to" << to.dir_ + toName << ":" << qt_error_string(errno);
    return false;
}

StoreFolder::NewFile::NewFile(const QString& path)
    : path_(path)
    , name_(nameOf(path))
{
}

StoreFolder::NewFile::~NewFile()
{
    cancelWriting();
    closeFd(dirFd_);
}

bool StoreFolder::NewFile::create()
{
    closeFd(dirFd_);
    dirFd_ = openFolder(folderOf(path_));
    for (int attempt = 0; dirFd_ >= 0 && attempt < kCreateAttempts; ++attempt) {
        const QString temp = QLatin1Char('.') + name_ + QLatin1Char('.') + uniqueSuffix();
        // Exclusive and not through a link: a fresh file of our own.
        const int fd = ::openat(dirFd_, encoded(temp).constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            break;
        if (!open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
            qWarning() << "Cannot write beside" << path_ << ":" << errorString();
            ::close(fd);
            ::unlinkat(dirFd_, encoded(temp).constData(), 0);
            return false;
        }
        temp_ = temp;
        return true;
    }
    qWarning() << "Cannot create a file beside" << path_ << ":" << qt_error_string(errno);
    return false;
}

bool StoreFolder::NewFile::commit()
{
    if (temp_.isEmpty())
        return false;
    const bool written = flush() && ::fdatasync(handle()) == 0;
    const QString error = written ? QString() : errorString() + qt_error_string(errno);
    close();
    if (!written || ::renameat(dirFd_, encoded(temp_).constData(), dirFd_, encoded(name_).constData()) != 0) {
        qCritical() << "write file failed:" << path_ << (written ? qt_error_string(errno) : error);
        cancelWriting();
        return false;
    }
    temp_.clear();
    return true;
}

void StoreFolder::NewFile::cancelWriting()
{
    close();
    if (!temp_.isEmpty() && ::unlinkat(dirFd_, encoded(temp_).constData(), 0) != 0 && errno != ENOENT)
        qWarning() << "Cannot remove" << folderOf(path_) + temp_ << ":" << qt_error_string(errno);
    temp_.clear();
}

} // namespace pc
} // namespace vesk
