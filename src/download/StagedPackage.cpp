#include "download/StagedPackage.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

// Large writes: small ones cost more than the network does.
constexpr int kWriteBlock = 1 << 20;
const char* const kStagingPrefix = ".pkgdl-";

} // namespace

StagedPackage::StagedPackage(const QString& dir, const QString& name)
    : dir_(dir)
    , name_(name)
    , staging_(pathIn(dir, QLatin1String(kStagingPrefix) + QStringLiteral("XXXXXX")))
{
}

// The file closes before its staging folder is removed with it.
StagedPackage::~StagedPackage() = default;

bool StagedPackage::open()
{
    if (!staging_.isValid()) {
        qCritical() << "Open file failed: cannot create a staging folder in" << dir_ << ":"
                    << staging_.errorString();
        return false;
    }
    file_.setFileName(stagedPath());
    // Unbuffered: append() gathers blocks of its own.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        qCritical() << "Open file failed" << file_.fileName() << ":" << file_.errorString();
        return false;
    }
    buffer_.reserve(kWriteBlock);
    return true;
}

bool StagedPackage::append(const QByteArray& data)
{
    size_ += data.size();
    buffer_.append(data);
    return buffer_.size() < kWriteBlock || flushBuffer();
}

bool StagedPackage::flushBuffer()
{
    if (buffer_.isEmpty())
        return true;
    const qint64 written = file_.write(buffer_);
    if (written != buffer_.size()) {
        qCritical() << "Write failed" << file_.fileName() << ":" << file_.errorString();
        return false;
    }
    md5_.add(buffer_);
    buffer_ = QByteArray();  // the hasher keeps the block until it is done
    buffer_.reserve(kWriteBlock);
    return true;
}

bool StagedPackage::close()
{
    const bool flushed = flushBuffer();
    file_.close();
    if (file_.error() != QFileDevice::NoError) {
        qCritical() << "Close failed" << file_.fileName() << ":" << file_.errorString();
        return false;
    }
    return flushed;
}

QByteArray StagedPackage::md5Hex()
{
    return md5_.resultHex();
}

QString StagedPackage::stagedPath() const
{
    return staging_.filePath(name_);
}

void StagedPackage::removeLeftovers(const QString& dir)
{
    const QDir folder(dir);
    // Only real folders: a link of such a name could lead out of the store,
    // and removing "through" it would empty its target.
    const QStringList found =
        folder.entryList({QLatin1String(kStagingPrefix) + QLatin1Char('*')},
                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : found) {
        qInfo() << "Removing an unfinished download:" << folder.filePath(name);
        if (!QDir(folder.filePath(name)).removeRecursively())
            qWarning() << "Cannot remove" << folder.filePath(name);
    }
}

QString StagedPackage::pathIn(const QString& dir, const QString& name)
{
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

QString StagedPackage::companionName() const
{
    return QStringLiteral("Ugsys_") + name_;
}

// rename() replaces an existing file in one step; QFile::rename would not.
bool StagedPackage::moveInto(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    qCritical() << "Cannot move" << from << "to" << to << ":" << std::strerror(errno);
    return false;
}

bool StagedPackage::commit(bool withCompanion)
{
    const QString companion = pathIn(dir_, companionName());
    if (withCompanion && !moveInto(staging_.filePath(companionName()), companion))
        return false;
    if (moveInto(stagedPath(), pathIn(dir_, name_)))
        return true;
    if (withCompanion && !QFile::remove(companion))
        qCritical() << "Cannot remove" << companion;
    return false;
}

} // namespace pc
} // namespace vesk
