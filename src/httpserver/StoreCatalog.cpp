#include "httpserver/StoreCatalog.h"

#include "package/FirmwareStore.h"
#include "package/StoreFolder.h"

namespace vesk {
namespace pc {

StoreCatalog::StoreCatalog(const QString& dir)
    : dir_(dir)
{
    // Links and hard links could lead out of the store, so only plain files
    // of one link count.
    for (const QString& entry : StoreFolder(dir_).plainFiles()) {
        if (FirmwareStore::isStoreName(entry))
            names_.append(entry);
    }
}

StoreCatalog StoreCatalog::current()
{
    return StoreCatalog(FirmwareStore::current().dir());
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
