#include "httpserver/StoreCatalog.h"

#include "package/FirmwareManager.h"
#include "package/PackageIo.h"

#include <QDir>
#include <QJsonObject>

#include <algorithm>

namespace vesk {
namespace pc {

namespace {

const QString kCompanionPrefix = QStringLiteral("Ugsys_");

bool hasControlCharacter(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c == 0x7F; });
}

} // namespace

StoreCatalog::StoreCatalog(const QString& dir)
    : dir_(dir)
{
    // Symbolic links could lead out of the store, so only plain files count.
    const QStringList entries =
        QDir(dir_).entryList(QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        if (isStoreName(entry))
            names_.append(entry);
    }
}

StoreCatalog StoreCatalog::current()
{
    return StoreCatalog(FirmwareManager::get(QJsonObject()).storeDir());
}

bool StoreCatalog::isStoreName(const QString& name)
{
    return PackageIo::isSafeBaseName(name) && !name.contains(QLatin1String(".."))
        && !name.startsWith(QLatin1Char('.')) && !hasControlCharacter(name)
        && name.endsWith(QLatin1String(".bin"));
}

QString StoreCatalog::companionName(const QString& name)
{
    return kCompanionPrefix + name;
}

QStringList StoreCatalog::withPrefix(const QString& prefix) const
{
    QStringList found;
    for (const QString& name : names_) {
        if (name.startsWith(prefix, Qt::CaseInsensitive)
            && !name.startsWith(kCompanionPrefix, Qt::CaseInsensitive))
            found.append(name);
    }
    return found;
}

bool StoreCatalog::contains(const QString& name) const
{
    return isStoreName(name) && names_.contains(name);
}

} // namespace pc
} // namespace vesk
