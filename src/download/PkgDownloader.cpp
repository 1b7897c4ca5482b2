#include "download/PkgDownloader.h"

#include "cloudlink/PackageCheck.h"
#include "comm/Util.h"
#include "download/ExchangeLoop.h"
#include "download/StagedPackage.h"
#include "package/FirmwarePackage.h"
#include "package/FirmwareStore.h"
#include "package/StoreFolder.h"

#include <QDebug>
#include <QEventLoop>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

const char* const kDownloadError = "Download error and failed to get package";

} // namespace

PkgDownloader::PkgDownloader()
    : QThread(nullptr)
{
}

// A thread cannot be destroyed while it runs, so a run that does not end in
// time is logged and then still awaited.
PkgDownloader::~PkgDownloader()
{
    if (!isRunning())
        return;
    requestStop();
    if (wait(kStopWaitMs))
        return;
    qCritical() << "Downloader did not stop within" << kStopWaitMs << "ms";
    wait();
}

void PkgDownloader::requestStop()
{
    requestInterruption();  // ignored unless a run is going on
    QMutexLocker lock(&loopMutex_);
    if (activeLoop_)
        QMetaObject::invokeMethod(activeLoop_, "quit", Qt::QueuedConnection);
}

bool PkgDownloader::runLoop(ExchangeLoop& loop)
{
    {
        QMutexLocker lock(&loopMutex_);
        activeLoop_ = loop.eventLoop();
    }
    if (!isInterruptionRequested())
        loop.exec();
    {
        QMutexLocker lock(&loopMutex_);
        activeLoop_ = nullptr;
    }
    return !stopped();
}

bool PkgDownloader::stopped() const
{
    if (!isInterruptionRequested())
        return false;
    qWarning() << "Download stopped on request";
    return true;
}

void PkgDownloader::run()
{
    qDebug() << "Thread =" << QThread::currentThread();
    staged_.reset();
    runSteps();
    staged_.reset();  // removes whatever was not stored
}

void PkgDownloader::runSteps()
{
    if (!queryLatestFwInfo()) {
        fail(QStringLiteral("Failed to get package info!"));
        return;
    }
    qDebug() << "queryLatestFwInfo successfully";
    notify(kInfoStart, announcedSize(), getPkgName());
    bool openFailed = false;
    if (isCurrentInStore(&openFailed)) {
        endStored(kInfoAlreadyCurrent, QStringLiteral("Local package is up to update"));
        return;
    }
    if (openFailed) {
        fail(QStringLiteral("Failed to open package file"));
        return;
    }
    if (!downloadFirmware()) {
        fail(QLatin1String(kDownloadError));
        return;
    }
    qDebug() << "downloadFirmware successfully";
    if (isFirmware() && !verifyAndDerive())
        return;
    if (stopped() || !staged_->commit(isFirmware())) {
        fail(QLatin1String(kDownloadError));
        return;
    }
    endStored(kInfoFinished, QStringLiteral("Download successfully"));
}

// An equal package in the store is taken as it is; any other file of that
// name is stale and goes, with its companion.
bool PkgDownloader::isCurrentInStore(bool* openFailed)
{
    const QString path = packagePath();
    const StoreFolder folder(downloadDir);
    const QString name = getPkgName();
    const StoreFolder::Kind kind = folder.status(name).kind;
    if (kind == StoreFolder::Kind::Absent)
        return false;
    // A link or a hard link of the name is never taken for the package.
    if (kind == StoreFolder::Kind::Plain) {
        QFile file;
        if (!folder.open(name, &file)) {
            qCritical() << "Open file failed:" << path;
            *openFailed = true;
            return false;
        }
        const QByteArray md5 = Util::md5ForFile(&file, 0).toHex();
        if (!md5.isEmpty() && md5 == expectedMd5())
            return true;
    }
    qInfo() << "Removing the stale package" << path;
    if (!folder.remove(name) || !folder.remove(FirmwareStore::companionName(name)))
        qWarning() << "Cannot remove the stale package" << path << "or its companion";
    return false;
}

bool PkgDownloader::verifyAndDerive()
{
    if (stopped()) {
        fail(QLatin1String(kDownloadError));
        return false;
    }
    FirmwarePackage package(staged_->folder(), getPkgName(), FirmwarePackage::PkgMain);
    if (!package.verifyFirmware()) {
        qCritical() << "Local package is invalid: " << packagePath();
        fail(QStringLiteral("Firmware verify failed"));
        return false;
    }
    if (!package.generateUgsysFwPackage()) {
        qCritical() << "Generate ugsys package failed:" << packagePath();
        fail(QStringLiteral("Generate ugsys failed"));
        return false;
    }
    return true;
}

bool PkgDownloader::isFirmware() const
{
    return query.value(QLatin1String("pkg_type")).toInt() != 0;
}

QString PkgDownloader::getPkgName() const
{
    if (latestPkg.isEmpty())
        return QString();
    return PackageCheck::packageFileName(latestPkg, isFirmware() ? 1 : 0);
}

QString PkgDownloader::packagePath() const
{
    return StagedPackage::pathIn(downloadDir, getPkgName());
}

qint64 PkgDownloader::announcedSize() const
{
    return PackageCheck::packageSize(latestPkg);
}

QByteArray PkgDownloader::expectedMd5() const
{
    return latestPkg.value(QLatin1String("md5")).toString().toLower().toLatin1();
}

QString PkgDownloader::getPkgVer(const QJsonObject& info)
{
    query = info;
    if (!queryLatestFwInfo())
        return QString();
    const QString version = latestPkg.value(QLatin1String("version")).toString();
    query = QJsonObject();
    latestPkg = QJsonObject();
    return version;
}

void PkgDownloader::notify(InfoType type, qint64 value, const QString& info)
{
    emit notifyInfo(type, int(value), info);
}

void PkgDownloader::endStored(InfoType type, const QString& info)
{
    emit packageStored(packagePath(), latestPkg.value(QLatin1String("version")).toString());
    notify(type, 0, info);
}

void PkgDownloader::fail(const QString& message)
{
    notify(kInfoError, 0, message);
}

} // namespace pc
} // namespace vesk
