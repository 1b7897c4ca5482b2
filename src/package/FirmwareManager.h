#pragma once

#include <QJsonObject>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// The local firmware store: the folder of downloaded and chosen packages,
// seen through the name prefix product_branch_platform_ of one camera.
//
// One instance serves every thread. The prefix set by get() belongs to the
// calling thread, so a thread's get() and its next operation are not
// disturbed by another thread's get(); folder operations are serialised.
class FirmwareManager : public QObject
{
    Q_OBJECT

public:
    // Sets the calling thread's prefix from info ("product", "branch",
    // "platform"; the program's own product information when one is
    // missing) and returns the instance.
    static FirmwareManager& get(const QJsonObject& info);
    // Store folder in place of the data directory's "firmware" (tests); an
    // empty text restores the default. Applies from the next get().
    static void setStoreDir(const QString& dir);

    // Among packages of equal version, whether name replaces best:
    // "release" wins, then "test" over "debug".
    static bool winsVersionTie(const QString& name, const QString& best);

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

    QStringList listLocked(const QString& prefix) const;
    QString latestLocked(const QString& prefix) const;
    void deleteExceptLocked(const QString& prefix, const QString& name);

    mutable QMutex mutex_;
    QString dir_;
};

} // namespace pc
} // namespace vesk
