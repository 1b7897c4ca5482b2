#pragma once

#include "logging/Logger.h"

#include <QBasicTimer>
#include <QString>

class QFile;
class QSettings;
class QTimerEvent;

// Writes the log lines to the file that the "filename" key of an ini group
// names. The ini is re-read every refresh interval, so formats, levels and
// even the file can change while the program runs. The file is flushed every
// second and then rotated into numbered backups once it reaches "max_size".
// Its own trouble goes straight to stderr: a Qt message from here would come
// back into the logger while it holds its lock.
class FileLogger : public Logger
{
    Q_OBJECT
public:
    // settings is not owned and already positioned in the logging group; it
    // must outlive the logger. A refresh interval of 0 or less reads it once.
    FileLogger(QSettings* settings, int refreshInterval, QObject* parent = nullptr);
    ~FileLogger() override;

    void refreshSettings();

protected:
    void write(const LogMessage* logMessage) override;
    void timerEvent(QTimerEvent* event) override;

    // The three run with mutex_ held (or before any other thread can log).
    void open();
    void close();
    // The log file must be closed.
    void rotate();

private:
    QString backupName(int number) const;
    void flushAndRotate();

    QString file_name_;
    qint64 max_size_ = 0;
    int max_backups_ = 0;
    bool settings_read_ = false;
    QSettings* settings_;
    QFile* file_ = nullptr;
    QBasicTimer refresh_timer_;
    QBasicTimer flush_timer_;
};
