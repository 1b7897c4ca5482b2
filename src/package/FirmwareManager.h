#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

namespace vesk {
namespace pc {

// The program's firmware store seen through the product key of one camera,
// kept for callers that name a package by the last get(). The store itself
// (FirmwareStore) does the work; code that has a store and a key uses it
// directly.
//
// One instance serves every thread. The key set by get() belongs to the
// calling thread, so a thread's get() and its next operation are not
// disturbed by another thread's get().
class FirmwareManager : public QObject
{
    Q_OBJECT

public:
    // Sets the calling thread's key from info ("product", "branch",
    // "platform"; the program's own product information when one is
    // missing) and returns the instance.
    static FirmwareManager& get(const QJsonObject& info);
    // Store folder in place of the data directory's (tests); an empty text
    // restores the default. Applies to every later use of the store.
    static void setStoreDir(const QString& dir);

    void updateParam(QJsonObject info);

    QString getLocalLatestFwName();
    qint64 getLocalLatestFwSize();
    QString getLocalLatestFwVersion();

    void deleteAllFirmwareExcept(const QString& name);
    void deleteOldFirmware();
    void deleteAllFirmware();
    void deleteFirmware(const QString& name);

    QString storeDir() const;  // ends with "/"
    QString prefix() const;    // the calling thread's

private:
    FirmwareManager() = default;
};

} // namespace pc
} // namespace vesk
