#pragma once

// What the picture tests share: their timing, picture bytes and files, the
// signals they collect and a bounded wait.

#include "support/InitedCamera.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QThread>

#include <functional>

inline vesk::pc::UvcTiming pictureTiming()
{
    vesk::pc::UvcTiming timing = quietTiming();
    timing.fullPictureWaitMs = 1;
    timing.pictureBatchPauseMs = 1;
    timing.uploadCheckPeriodMs = 2;
    timing.uploadResendAfterMs = 20;
    return timing;
}

inline QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// What a camera object or its pictures part signalled, from whichever thread.
template <class Sender>
struct PictureSignals
{
    QMutex mutex;
    QList<QPair<unsigned, int>> downloads;
    QList<int> progress;

    QMetaObject::Connection done;
    QMetaObject::Connection progressed;

    explicit PictureSignals(Sender& device)
    {
        done = QObject::connect(&device, &Sender::fileDownloadDone, &device,
                         [this](unsigned kind, int result) {
                             QMutexLocker lock(&mutex);
                             downloads << qMakePair(kind, result);
                         }, Qt::DirectConnection);
        progressed = QObject::connect(&device, &Sender::fileUploadProgress, &device,
                         [this](int value) {
                             QMutexLocker lock(&mutex);
                             progress << value;
                         }, Qt::DirectConnection);
    }
    ~PictureSignals()
    {
        QObject::disconnect(done);
        QObject::disconnect(progressed);
    }
    int downloadCount()
    {
        QMutexLocker lock(&mutex);
        return downloads.size();
    }
    QList<QPair<unsigned, int>> takenDownloads()
    {
        QMutexLocker lock(&mutex);
        return downloads;
    }
    QList<int> takenProgress()
    {
        QMutexLocker lock(&mutex);
        return progress;
    }
};

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(2);
    }
    return true;
}
