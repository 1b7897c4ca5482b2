#include "package/FirmwareManager.h"

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "package/PackageIo.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vesk {
namespace pc {

namespace {

const char* const kPrefixKeys[] = {"product", "branch", "platform"};

// Set by get() on each thread for that thread's next operations.
thread_local QString tPrefix;

QMutex gDirOverrideMutex;
QString gDirOverride;

const QRegularExpression& versionPattern()
{
    static const QRegularExpression pattern(QStringLiteral("([0-9]+\\.){3}[0-9]+"));
    return pattern;
}

QString versionTextOf(const QString& name)
{
    const QRegularExpressionMatch match = versionPattern().match(name);
    return match.hasMatch() ? match.captured(0) : QString();
}

} // namespace

FirmwareManager& FirmwareManager::get(const QJsonObject& info)
{
    static FirmwareManager instance;
    instance.updateParam(info);
    return instance;
}

bool FirmwareManager::winsVersionTie(const QString& name, const QString& best)
{
    if (name.contains(QLatin1String("release")))
        return true;
    return name.contains(QLatin1String("test")) && best.contains(QLatin1String("debug"));
}

void FirmwareManager::setStoreDir(const QString& dir)
{
    QMutexLocker lock(&gDirOverrideMutex);
    gDirOverride = dir;
}

void FirmwareManager::updateParam(QJsonObject info)
{
    for (const char* key : kPrefixKeys) {
        if (!info.contains(QLatin1String(key))) {
            info = GlobalParams::get().getProductInfo();
            break;
        }
    }
    QString prefix;
    for (const char* key : kPrefixKeys)
        prefix += info.value(QLatin1String(key)).toString() + QLatin1Char('_');
    tPrefix = prefix;

    QString dir;
    {
        QMutexLocker lock(&gDirOverrideMutex);
        dir = gDirOverride.isEmpty() ? AppPaths::dataPath(QStringLiteral("firmware")) : gDirOverride;
    }
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    QMutexLocker lock(&mutex_);
    dir_ = dir;
    if (!QDir().mkpath(dir_))
        qWarning() << "Cannot create firmware store:" << dir_;
}

QString FirmwareManager::storeDir() const
{
    QMutexLocker lock(&mutex_);
    return dir_;
}

QString FirmwareManager::prefix() const
{
    return tPrefix;
}

QStringList FirmwareManager::listLocked(const QString& prefix) const
{
    // No wildcard: a prefix holding '*', '?' or '[' must not reach other
    // products' files, and case must match on case-blind file systems too.
    QStringList names;
    const QStringList entries =
        QDir(dir_).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        if (entry.startsWith(prefix, Qt::CaseSensitive))
            names.append(entry);
    }
    return names;
}

QString FirmwareManager::latestLocked(const QString& prefix) const
{
    QString best;
    uint32_t bestVersion = 0;
    for (const QString& name : listLocked(prefix)) {
        const QString text = versionTextOf(name);
        if (text.isEmpty())
            continue;
        const uint32_t version = Util::verStrToUintStrict(text);
        if (version > bestVersion || (version == bestVersion && winsVersionTie(name, best))) {
            best = name;
            bestVersion = version;
        }
    }
    return best;
}

QString FirmwareManager::getLocalLatestFwName()
{
    QMutexLocker lock(&mutex_);
    return latestLocked(tPrefix);
}

qint64 FirmwareManager::getLocalLatestFwSize()
{
    QMutexLocker lock(&mutex_);
    const QString name = latestLocked(tPrefix);
    return name.isEmpty() ? 0 : QFileInfo(dir_ + name).size();
}

QString FirmwareManager::getLocalLatestFwVersion()
{
    QMutexLocker lock(&mutex_);
    return versionTextOf(latestLocked(tPrefix));
}

void FirmwareManager::deleteExceptLocked(const QString& prefix, const QString& name)
{
    for (const QString& entry : listLocked(prefix)) {
        if (entry == name)
            continue;
        QFile::remove(dir_ + QStringLiteral("Ugsys_") + entry);
        QFile::remove(dir_ + entry);
    }
}

void FirmwareManager::deleteAllFirmwareExcept(const QString& name)
{
    QMutexLocker lock(&mutex_);
    deleteExceptLocked(tPrefix, name);
}

void FirmwareManager::deleteOldFirmware()
{
    QMutexLocker lock(&mutex_);
    deleteExceptLocked(tPrefix, latestLocked(tPrefix));
}

void FirmwareManager::deleteAllFirmware()
{
    deleteAllFirmwareExcept(QString());
}

void FirmwareManager::deleteFirmware(const QString& name)
{
    // Only a store file of this prefix, or the companion of one, by its
    // plain name.
    const QString main = name.startsWith(QLatin1String("Ugsys_")) ? name.mid(6) : name;
    if (!PackageIo::isSafeBaseName(name) || !main.startsWith(tPrefix, Qt::CaseSensitive)) {
        qWarning() << "Not a firmware store file:" << name;
        return;
    }
    QMutexLocker lock(&mutex_);
    if (QFileInfo(dir_ + name).isFile())
        QFile::remove(dir_ + name);
}

} // namespace pc
} // namespace vesk
