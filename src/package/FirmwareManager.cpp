#include "package/FirmwareManager.h"

#include "package/FirmwareStore.h"
#include "package/StoreFolder.h"

namespace vesk {
namespace pc {

namespace {

// Set by get() on each thread for that thread's next operations.
thread_local QString tPrefix;

} // namespace

FirmwareManager& FirmwareManager::get(const QJsonObject& info)
{
    static FirmwareManager instance;
    instance.updateParam(info);
    return instance;
}

void FirmwareManager::setStoreDir(const QString& dir)
{
    FirmwareStore::setDefaultDir(dir);
}

void FirmwareManager::updateParam(QJsonObject info)
{
    tPrefix = FirmwareStore::productKey(info);
    FirmwareStore::current();  // made when missing
}

QString FirmwareManager::storeDir() const
{
    return FirmwareStore::current().dir();
}

QString FirmwareManager::prefix() const
{
    return tPrefix;
}

QString FirmwareManager::getLocalLatestFwName()
{
    return FirmwareStore::current().newest(tPrefix).name;
}

qint64 FirmwareManager::getLocalLatestFwSize()
{
    const FirmwareStore store = FirmwareStore::current();
    const QString name = store.newest(tPrefix).name;
    const StoreFolder::Status file = StoreFolder::statusOfPath(store.pathOf(name));
    return file.kind == StoreFolder::Kind::Plain ? file.size : 0;
}

QString FirmwareManager::getLocalLatestFwVersion()
{
    return FirmwareStore::current().newest(tPrefix).versionText;
}

void FirmwareManager::deleteAllFirmwareExcept(const QString& name)
{
    FirmwareStore::current().keepOnly(tPrefix, name);
}

void FirmwareManager::deleteOldFirmware()
{
    const FirmwareStore store = FirmwareStore::current();
    store.keepOnly(tPrefix, store.newest(tPrefix).name);
}

void FirmwareManager::deleteAllFirmware()
{
    deleteAllFirmwareExcept(QString());
}

void FirmwareManager::deleteFirmware(const QString& name)
{
    FirmwareStore::current().remove(tPrefix, name);
}

} // namespace pc
} // namespace vesk
