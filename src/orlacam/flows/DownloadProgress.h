#pragma once

#include "download/PkgDownloader.h"
#include "uicomm/MsgProgressUi.h"

#include <QElapsedTimer>

// The progress box of a package download: follows the downloader's notices
// with speed and sizes, and gives up after a time-out. One box serves every
// download of the window; each run has its own time-out.
class DownloadProgress : public MsgProgressUi
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 720000;

    explicit DownloadProgress(QWidget* parent = nullptr);
    DownloadProgress(int timeoutMs, QWidget* parent = nullptr);
    ~DownloadProgress() override;

public slots:
    void onDownloadProgressUpdate(vesk::pc::PkgDownloader::InfoType type, int value, const QString& info);
    void onTimeout();

private:
    void init(int timeout);
    void start(int size, const QString& name);
    void count(int bytes);
    void showDone();
    QString sizeLine(float mbPerSecond, int receivedBytes) const;

    int pkgSize = 0;
    int received = 0;
    int lastReceived = 0;
    float speed = 0;
    QString pkgName;
    QElapsedTimer rateTimer;
};
