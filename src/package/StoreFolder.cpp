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

quint64 systemRandom()
{
    return QRandomGenerator::system()->generate64();
}

std::atomic<quint64 (*)()> randomSource{&systemRandom};
std::atomic<int (*)(int)> dataSync{&::fdatasync};

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

// A listing of an open folder of its own, from the start; null (errno
// set) when it cannot be opened.
DIR* listingOf(int dirFd)
{
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        const int error = errno;
        closeFd(listFd);
        errno = error;
    }
    return dir;
}

// The entry names of an open folder, "." and ".." left out.
std::vector<QByteArray> entriesOf(int dirFd)
{
    std::vector<QByteArray> names;
    DIR* dir = listingOf(dirFd);
    if (!dir) {
        qWarning() << "Cannot list a folder:" << qt_error_string(errno);
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

// The type bits of name in dirFd, not following a link; 0 when absent.
mode_t typeAt(int dirFd, const QByteArray& name)
{
    struct stat status;
    return ::fstatat(dirFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 ? status.st_mode & S_IFMT : 0;
}

bool isFolderAt(int dirFd, const QByteArray& name)
{
    return S_ISDIR(typeAt(dirFd, name));
}

// Waits until no change of the folder is under way: a listing waits for
// the folder's lock, which a rename or removal in it holds to its end.
void waitForChanges(int dirFd)
{
    if (DIR* dir = listingOf(dirFd)) {
        ::readdir(dir);
        ::closedir(dir);
    }
}

// Whether the open file fd is a plain file whose one link is name in
// dirFd. Its count alone can drop after the open (the name swapped away from
// a file that has another name elsewhere), and a look at the name is not
// enough either: while a rename over the name, or its removal, is under way,
// the file has already lost that link, and shows the lower count, but the
// name still leads to it. So each look first waits out the change under way,
// and three looks, each followed by the open file's own count, must all
// agree: a program that swaps the name as fast as it can still meets one
// look now and then, when this thread is held up between a wait and its look.
bool isOnlyNameOf(int dirFd, const QByteArray& name, int fd)
{
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return false;
    for (int look = 0; look < 3; ++look) {
        waitForChanges(dirFd);
        struct stat named;
        struct stat now;
        if (::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != opened.st_dev
            || named.st_ino != opened.st_ino || named.st_nlink != 1 || ::fstat(fd, &now) != 0 || now.st_nlink != 1)
            return false;
    }
    return true;
}

bool removeTreeAt(int dirFd, const QByteArray& name, int depth);

// Removes everything in the open folder fd (label names it in the log)
// without following any link in it.
bool emptyAt(int fd, const QByteArray& label, int depth)
{
    bool ok = true;
    for (const QByteArray& entry : entriesOf(fd)) {
        if (::unlinkat(fd, entry.constData(), 0) == 0 || errno == ENOENT)
            continue;
        if (depth < kMaxDepth && isFolderAt(fd, entry)) {
            ok = removeTreeAt(fd, entry, depth + 1) && ok;
            continue;
        }
        qWarning() << "Cannot remove" << entry << "in" << label << ":" << qt_error_string(errno);
        ok = false;
    }
    return ok;
}

// Removes name of dirFd: an emptied folder, or a link that took its place
// (the link itself).
bool removeNameAt(int dirFd, const QByteArray& name)
{
    if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT)
        return true;
    const int error = errno;
    if (error == ENOTDIR && S_ISLNK(typeAt(dirFd, name))
        && (::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT))
        return true;
    qWarning() << "Cannot remove folder" << name << ":" << qt_error_string(error);
    return false;
}

// Empties the folder name of dirFd through a descriptor of its own and
// removes it; a link put in its place at any moment is never followed, and
// is removed itself.
bool removeTreeAt(int dirFd, const QByteArray& name, int depth)
{
    const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = true;
    if (fd >= 0) {
        ok = emptyAt(fd, name, depth);
        ::close(fd);
    }
    return removeNameAt(dirFd, name) && ok;
}

} // namespace

StoreFolder::StoreFolder(const QString& dir)
    : dir_(withSlash(dir))
    , fd_(openFolder(dir_))
{
}

StoreFolder::StoreFolder(const QString& dir, int fd)
    : dir_(dir)
    , fd_(fd)
{
}

StoreFolder::StoreFolder(const StoreFolder& other)
    : dir_(other.dir_)
    , fd_(other.isOpen() ? ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0) : -1)
{
    if (other.isOpen() && !isOpen())
        qWarning() << "Cannot open folder" << dir_ << "again:" << qt_error_string(errno);
}

StoreFolder::StoreFolder(StoreFolder&& other) noexcept
    : dir_(std::move(other.dir_))
    , fd_(other.fd_)
{
    other.fd_ = -1;
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
    return QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
        + QString::number(randomSource.load()(), 36);
}

void StoreFolder::setRandomSource(quint64 (*source)())
{
    randomSource = source ? source : &systemRandom;
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

template <typename Keep>
QStringList StoreFolder::namesWhere(Keep keep) const
{
    QStringList names;
    if (!isOpen())
        return names;
    for (const QByteArray& entry : entriesOf(fd_)) {
        if (keep(entry))
            names.append(QFile::decodeName(entry));
    }
    return names;
}

QStringList StoreFolder::plainFiles() const
{
    QStringList names =
        namesWhere([this](const QByteArray& entry) { return statusAt(fd_, entry).kind == Kind::Plain; });
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QStringList StoreFolder::filesAndLinks() const
{
    return namesWhere([this](const QByteArray& entry) { return !isFolderAt(fd_, entry); });
}

QStringList StoreFolder::folders(const QString& prefix) const
{
    const QByteArray start = encoded(prefix);
    return namesWhere([this, &start](const QByteArray& entry) {
        const mode_t type = entry.startsWith(start) ? typeAt(fd_, entry) : 0;
        return S_ISDIR(type) || S_ISLNK(type);
    });
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

StoreFolder StoreFolder::makeFolder(const QString& prefix) const
{
    for (int attempt = 0; isOpen() && attempt < kCreateAttempts; ++attempt) {
        const QString name = prefix + uniqueSuffix();
        if (::mkdirat(fd_, encoded(name).constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        // The name may lead elsewhere already: only the folder itself is
        // taken, or another one is made.
        const int fd = ::openat(fd_, encoded(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            return StoreFolder(dir_ + name + QLatin1Char('/'), fd);
        qWarning() << "The new folder" << dir_ + name << "was replaced:" << qt_error_string(errno);
        removeTreeAt(fd_, encoded(name), 0);
    }
    qCritical() << "Cannot create a folder in" << dir_ << ":" << qt_error_string(errno);
    return StoreFolder(dir_ + prefix, -1);
}

bool StoreFolder::removeFolder(const StoreFolder& made) const
{
    if (!isOpen() || !made.isOpen())
        return false;
    const bool emptied = emptyAt(made.fd_, encoded(made.dir_), 0);
    return removeTreeAt(fd_, encoded(nameOf(made.dir_.chopped(1))), 0) && emptied;
}

bool StoreFolder::moveTo(const QString& name, const StoreFolder& to, const QString& toName) const
{
    if (isOpen() && to.isOpen()
        && ::renameat(fd_, encoded(name).constData(), to.fd_, encoded(toName).constData()) == 0)
        return true;
    qCritical() << "Cannot move" << dir_ + name << "to" << to.dir_ + toName << ":" << qt_error_string(errno);
    return false;
}

StoreFolder::NewFile::NewFile(const StoreFolder& folder, const QString& name)
    : folder_(folder)
    , name_(name)
    , path_(folder.dir() + name)
{
}

StoreFolder::NewFile::NewFile(const QString& path)
    : folder_(folderOf(path))
    , name_(nameOf(path))
    , path_(path)
{
}

StoreFolder::NewFile::~NewFile()
{
    cancelWriting();
}

bool StoreFolder::NewFile::create()
{
    const int dirFd = folder_.fd_;
    for (int attempt = 0; folder_.isOpen() && attempt < kCreateAttempts; ++attempt) {
        const QString temp = QLatin1Char('.') + name_ + QLatin1Char('.') + uniqueSuffix();
        // Exclusive and not through a link: a fresh file of our own.
        const int fd = ::openat(dirFd, encoded(temp).constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            break;
        if (!open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
            qWarning() << "Cannot write beside" << path_ << ":" << errorString();
            ::close(fd);
            ::unlinkat(dirFd, encoded(temp).constData(), 0);
            return false;
        }
        temp_ = temp;
        return true;
    }
    qWarning() << "Cannot create a file beside" << path_ << ":" << qt_error_string(errno);
    return false;
}

// The temporary name is in sight of everyone who writes in the folder: it
// must still be the file written when it is renamed, and what the rename
// put in place must not be a link or anything but a plain file (a writer
// of the same name may have committed after us: its file stands).
bool StoreFolder::NewFile::commit(Sync sync)
{
    if (temp_.isEmpty())
        return false;
    struct stat own;
    const bool written =
        flush() && (sync == Sync::Skip || dataSync.load()(handle()) == 0) && ::fstat(handle(), &own) == 0;
    const QString error = written ? QString() : errorString() + qt_error_string(errno);
    close();
    if (!written) {
        qCritical() << "write file failed:" << path_ << error;
        cancelWriting();
        return false;
    }
    struct stat atTemp;
    if (::fstatat(folder_.fd_, encoded(temp_).constData(), &atTemp, AT_SYMLINK_NOFOLLOW) != 0
        || atTemp.st_dev != own.st_dev || atTemp.st_ino != own.st_ino) {
        qCritical() << "write file failed:" << path_ << "- its temporary name was replaced";
        cancelWriting();
        return false;
    }
    if (::renameat(folder_.fd_, encoded(temp_).constData(), folder_.fd_, encoded(name_).constData()) != 0) {
        qCritical() << "write file failed:" << path_ << qt_error_string(errno);
        cancelWriting();
        return false;
    }
    temp_.clear();
    struct stat moved;
    const bool ours = ::fstatat(folder_.fd_, encoded(name_).constData(), &moved, AT_SYMLINK_NOFOLLOW) == 0
        && ((moved.st_dev == own.st_dev && moved.st_ino == own.st_ino)
            || (S_ISREG(moved.st_mode) && moved.st_nlink == 1));
    if (!ours) {
        qCritical() << "write file failed:" << path_ << "- its temporary name was replaced before the rename";
        folder_.remove(name_);
    }
    return ours;
}

void StoreFolder::NewFile::setDataSync(int (*sync)(int fd))
{
    dataSync = sync ? sync : &::fdatasync;
}

void StoreFolder::NewFile::cancelWriting()
{
    close();
    if (!temp_.isEmpty())
        folder_.remove(temp_);
    temp_.clear();
}

} // namespace pc
} // namespace vesk
