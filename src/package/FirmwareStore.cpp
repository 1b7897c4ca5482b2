#include "package/FirmwareStore.h"

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "package/FirmwarePackage.h"
#include "package/PackageIo.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QDir>
#include <QMutex>
#include <QScopeGuard>

#include <algorithm>

namespace vesk {
namespace pc {

namespace {

const char* const kKeyParts[] = {"product", "branch", "platform"};
const QString kCompanionPrefix = QStringLiteral("Ugsys_");

QMutex gDefaultDirMutex;
QString gDefaultDir;

bool hasControlCharacter(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c == 0x7F; });
}

QString withSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

FirmwareStore::FirmwareStore(const QString& dir)
    : dir_(withSlash(dir))
{
}

FirmwareStore FirmwareStore::current()
{
    QString dir;
    {
        QMutexLocker lock(&gDefaultDirMutex);
        dir = gDefaultDir;
    }
    const FirmwareStore store(dir.isEmpty() ? AppPaths::dataPath(QLatin1String(kFolderName)) : dir);
    if (!QDir().mkpath(store.dir()))
        qWarning() << "Cannot create firmware store:" << store.dir();
    return store;
}

void FirmwareStore::setDefaultDir(const QString& dir)
{
    QMutexLocker lock(&gDefaultDirMutex);
    gDefaultDir = dir;
}

QString FirmwareStore::productKey(QJsonObject info)
{
    for (const char* part : kKeyParts) {
        if (!info.contains(QLatin1String(part))) {
            info = GlobalParams::get().getProductInfo();
            break;
        }
    }
    QString key;
    for (const char* part : kKeyParts)
        key += info.value(QLatin1String(part)).toString() + QLatin1Char('_');
    return key;
}

QString FirmwareStore::companionName(const QString& name)
{
    return kCompanionPrefix + name;
}

bool FirmwareStore::isCompanionName(const QString& name)
{
    return name.startsWith(kCompanionPrefix, Qt::CaseInsensitive);
}

QString FirmwareStore::mainNameOf(const QString& name)
{
    return name.startsWith(kCompanionPrefix) ? name.mid(kCompanionPrefix.size()) : name;
}

bool FirmwareStore::isStoreName(const QString& name)
{
    return PackageIo::isSafeBaseName(name) && !name.contains(QLatin1String(".."))
        && !name.startsWith(QLatin1Char('.')) && !hasControlCharacter(name)
        && name.endsWith(QLatin1String(".bin"));
}

bool FirmwareStore::readVersion(const QString& name, const QString& key, Package* package)
{
    if (!name.startsWith(key, Qt::CaseInsensitive))
        return false;
    const int end = name.indexOf(QLatin1Char('_'), key.size());
    if (end < 0)
        return false;
    const QString text = name.mid(key.size(), end - key.size());
    if (!Util::isStrictVersion(text))
        return false;
    *package = {name, Util::verStrToUintStrict(text), text};
    return true;
}

bool FirmwareStore::keptByChannel(const QString& name, const QString& channel)
{
    if (channel == QLatin1String("release"))
        return name.contains(QLatin1String("release"));
    if (channel == QLatin1String("test"))
        return !name.contains(QLatin1String("debug"));
    return true;
}

QString FirmwareStore::channelOf(const QString& name)
{
    if (name.contains(QLatin1String("release")))
        return QStringLiteral("release");
    if (name.contains(QLatin1String("test")))
        return QStringLiteral("test");
    return QStringLiteral("debug");
}

bool FirmwareStore::winsVersionTie(const QString& name, const QString& best)
{
    if (name.contains(QLatin1String("release")))
        return true;
    return name.contains(QLatin1String("test")) && best.contains(QLatin1String("debug"));
}

FirmwareStore::Package FirmwareStore::newestOf(const QStringList& names, const QString& key, const QString& channel)
{
    Package best;
    for (const QString& name : names) {
        Package candidate;
        if (!isStoreName(name) || isCompanionName(name) || !keptByChannel(name, channel)
            || !readVersion(name, key, &candidate))
            continue;
        if (candidate.version > best.version
            || (candidate.version == best.version && winsVersionTie(name, best.name)))
            best = candidate;
    }
    return best;
}

QStringList FirmwareStore::filesOf(const QString& key) const
{
    // No wildcard: a key holding '*', '?' or '[' must not reach other
    // products' files, and case must match on case-blind file systems too.
    QStringList names;
    for (const QString& entry : StoreFolder(dir_).plainFiles()) {
        if (entry.startsWith(key, Qt::CaseSensitive))
            names.append(entry);
    }
    return names;
}

FirmwareStore::Package FirmwareStore::newest(const QString& key, const QString& channel) const
{
    // A link, or a hard link, could lead to any file of the machine: it
    // counts as absent.
    return newestOf(filesOf(key), key, channel);
}

void FirmwareStore::keepOnly(const QString& key, const QString& keep) const
{
    const StoreFolder folder(dir_);
    for (const QString& entry : folder.filesAndLinks()) {
        if (entry == keep || !entry.startsWith(key, Qt::CaseSensitive))
            continue;
        folder.remove(companionName(entry));
        folder.remove(entry);
    }
}

bool FirmwareStore::remove(const QString& key, const QString& name) const
{
    if (!PackageIo::isSafeBaseName(name) || !mainNameOf(name).startsWith(key, Qt::CaseSensitive)) {
        qWarning() << "Not a firmware store file:" << name;
        return false;
    }
    return StoreFolder(dir_).remove(name);
}

bool FirmwareStore::moveIn(const StoreFolder& from, const StoreFolder& to, const QString& name, bool withCompanion)
{
    // Each rename replaces an existing file (or link) of the name in one step.
    const QString companion = companionName(name);
    if (withCompanion && !from.moveTo(companion, to, companion))
        return false;
    if (from.moveTo(name, to, name))
        return true;
    if (withCompanion && !to.remove(companion))
        qCritical() << "Cannot remove" << to.dir() + companion;
    return false;
}

QString FirmwareStore::addPicked(const QString& path, const QJsonObject& info) const
{
    // Made, checked and derived from in a staging folder of its own, reached
    // only through its descriptor, so that a refused pick never touches the
    // store's files and a link put at the folder's name leads nowhere.
    const StoreFolder store(dir_);
    const StoreFolder staging = store.makeFolder(QLatin1String(kStagingPrefix));
    if (!staging.isOpen())
        return QString();
    const auto cleanup = qScopeGuard([&] { store.removeFolder(staging); });
    const QString platform = info.value(QLatin1String("platform")).toString();
    const QString name = StoreFolder::nameOf(FirmwarePackage::extractFirmware(path, platform, staging));
    if (name.isEmpty())
        return QString();
    FirmwarePackage package(staging, name, FirmwarePackage::PkgMain);
    if (!package.verifyFirmware())
        return QString();
    if (package.productKey() != productKey(info)) {
        qCritical() << "firmware made for" << package.productKey() << "not for the camera's" << productKey(info);
        return QString();
    }
    // As the upgrade holds it against the camera, which it could never
    // install otherwise; the upgrade system (2) may report no SoC version.
    const bool whole = info.value(QLatin1String("systype")).toInt() != 2;
    if (!package.suitsSocVersion(info.value(QLatin1String("socver")).toInt(), whole))
        return QString();
    // The companion of a file the pick replaces was made from other bytes.
    if (!package.generateUgsysFwPackage() || !moveIn(staging, store, name, true))
        return QString();
    return pathOf(name);
}

} // namespace pc
} // namespace vesk
