#include "orlacam/flows/DownloadProgress.h"

#include "comm/UpgradeCodes.h"

#include <QTimer>

using vesk::pc::PkgDownloader;

namespace {

constexpr int kBoxWidth = 360;
constexpr qint64 kMinShowIntervalMs = 101;
constexpr int kBytesPerMb = 1048576;

int toMb(int bytes)
{
    return bytes / kBytesPerMb;
}

} // namespace

DownloadProgress::DownloadProgress(QWidget* parent) : MsgProgressUi(parent)
{
    init(kDefaultTimeoutMs);
}

DownloadProgress::DownloadProgress(int timeout, QWidget* parent) : MsgProgressUi(parent)
{
    init(timeout);
}

DownloadProgress::~DownloadProgress() = default;

void DownloadProgress::init(int timeout)
{
    setFixedWidth(kBoxWidth);
    setTitle(tr("Downloading Firmware"));
    setRunTimeout(timeout);
    connect(runTimer(), &QTimer::timeout, this, &DownloadProgress::onTimeout);
}

void DownloadProgress::onDownloadProgressUpdate(PkgDownloader::InfoType type, int value, const QString& info)
{
    switch (type) {
    case PkgDownloader::kInfoStart:
        start(value, info);
        break;
    case PkgDownloader::kInfoProgress:
        count(value);
        break;
    case PkgDownloader::kInfoError:
        runTimer()->stop();
        onProgressUpdate(vesk::pc::kErrCodeFailure, tr("Download error!"));
        break;
    case PkgDownloader::kInfoAlreadyCurrent:
    case PkgDownloader::kInfoFinished:
        // The downloader sends these only once the package is verified.
        showDone();
        break;
    }
}

void DownloadProgress::start(int size, const QString& name)
{
    pkgName = name;
    pkgSize = size;
    received = 0;
    lastReceived = 0;
    speed = 0;
    rateTimer.start();
    onProgressUpdate(0, sizeLine(0, 0));
}

void DownloadProgress::count(int bytes)
{
    received += bytes;
    // Before a start notice, or too soon after the last update: counted only.
    if (!rateTimer.isValid() || rateTimer.elapsed() < kMinShowIntervalMs)
        return;
    speed = float(received - lastReceived) / float(rateTimer.elapsed()) * 0.0009765625f;
    lastReceived = received;
    rateTimer.restart();
    // A size of 0 gives no percentage; below 100 until the outcome is known.
    const int percent = pkgSize > 0 ? qMin(99, int(double(received) / pkgSize * 100)) : 0;
    onProgressUpdate(percent, sizeLine(speed, received));
}

void DownloadProgress::showDone()
{
    runTimer()->stop();
    onProgressUpdate(vesk::pc::kErrCodeSuccess, sizeLine(0, pkgSize));
}

QString DownloadProgress::sizeLine(float mbPerSecond, int receivedBytes) const
{
    return pkgName + QLatin1Char('\n')
           + tr("%1MB/s - %2MB, total %3MB")
                 .arg(QString::number(double(mbPerSecond), 'f', mbPerSecond == 0 ? 0 : 2))
                 .arg(toMb(receivedBytes))
                 .arg(toMb(pkgSize));
}

void DownloadProgress::onTimeout()
{
    onProgressUpdate(vesk::pc::kErrCodeFailure, tr("Download timeout, please try again later!"));
}
