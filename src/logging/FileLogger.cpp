#include "logging/FileLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimerEvent>

#include <cstdio>

namespace {

const int kFlushIntervalMs = 1000;
const char* const kDefaultTimestampFormat = "yyyy-MM-dd hh:mm:ss.zzz";

// The values of the logging group, read without holding the logger's lock.
struct LogSettings
{
    QString fileName;
    qint64 maxSize = 0;
    int maxBackups = 0;
    QString msgFormat;
    QString timestampFormat;
    int minLevel = 0;
    int bufferSize = 0;
};

// A value the ini gives in a form that is not a number counts as missing.
qint64 readInt64(const QSettings& settings, const char* key)
{
    bool ok = false;
    const qint64 value = settings.value(QLatin1String(key)).toLongLong(&ok);
    return ok ? value : 0;
}

int readInt(const QSettings& settings, const char* key)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : 0;
}

// A relative name is taken relative to the directory of the ini file.
QString resolveFileName(const QString& name, const QString& iniFile)
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    return QDir::cleanPath(QFileInfo(iniFile).absoluteDir().absoluteFilePath(name));
}

LogSettings readLogSettings(QSettings* settings)
{
    settings->sync();
    LogSettings s;
    s.fileName = resolveFileName(settings->value(QStringLiteral("filename")).toString(),
                                 settings->fileName());
    s.maxSize = readInt64(*settings, "max_size");
    s.maxBackups = readInt(*settings, "max_backups");
    s.msgFormat = settings->value(QStringLiteral("msg_format"),
                                  QLatin1String(Logger::kDefaultMsgFormat)).toString();
    s.timestampFormat = settings->value(QStringLiteral("timestamp_format"),
                                        QLatin1String(kDefaultTimestampFormat)).toString();
    s.minLevel = readInt(*settings, "min_level");
    s.bufferSize = readInt(*settings, "buffer_size");
    return s;
}

// Formats up to two texts into a line on stderr; unused ones are ignored.
void report(const char* format, const QString& first = QString(),
            const QString& second = QString())
{
    std::fprintf(stderr, format, first.toLocal8Bit().constData(),
                 second.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

FileLogger::FileLogger(QSettings* settings, int refreshInterval, QObject* parent)
    : Logger(parent)
    , settings_(settings)
{
    if (refreshInterval > 0)
        refresh_timer_.start(refreshInterval, this);
    flush_timer_.start(kFlushIntervalMs, this);
    refreshSettings();
}

FileLogger::~FileLogger()
{
    // Before the members go: another thread's message must not reach a half-destroyed logger.
    uninstallMsgHandler();
    Lock lock;
    close();
}

void FileLogger::refreshSettings()
{
    if (!settings_)
        return;
    const LogSettings s = readLogSettings(settings_);
    Lock lock;
    msg_format_ = s.msgFormat;
    timestamp_format_ = s.timestampFormat;
    min_level_ = s.minLevel;
    buffer_size_ = s.bufferSize;
    max_size_ = s.maxSize;
    max_backups_ = s.maxBackups;
    if (settings_read_ && s.fileName == file_name_)
        return;
    settings_read_ = true;
    file_name_ = s.fileName;
    report("Logging to %s\n", file_name_);
    close();
    open();
}

void FileLogger::open()
{
    if (file_name_.isEmpty()) {
        report("Name of logFile is empty\n");
        return;
    }
    file_ = new QFile(file_name_);
    const QDir dir = QFileInfo(file_name_).absoluteDir();
    if (!dir.exists())
        QDir().mkpath(dir.absolutePath());  // a failure shows in the open below
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        report("Cannot open log file %s: %s\n", file_name_, file_->errorString());
        delete file_;
        file_ = nullptr;
    }
}

void FileLogger::close()
{
    if (!file_)
        return;
    file_->close();
    delete file_;
    file_ = nullptr;
}

QString FileLogger::backupName(int number) const
{
    // Both at once: a "%2" inside the file name must stay as it is.
    return QStringLiteral("%1.%2").arg(file_name_, QString::number(number));
}

void FileLogger::rotate()
{
    int count = 0;
    while (QFile::exists(backupName(count + 1)))
        ++count;
    if (max_backups_ > 0 && count >= max_backups_) {
        for (int k = count; k >= max_backups_; --k)
            QFile::remove(backupName(k));
        count = max_backups_ - 1;
    }
    // Failed renames and removals are not reported: the rotation goes on.
    for (int k = count; k >= 1; --k)
        QFile::rename(backupName(k), backupName(k + 1));
    QFile::rename(file_name_, backupName(1));
}

void FileLogger::write(const LogMessage* logMessage)
{
    if (!file_) {
        Logger::write(logMessage);
        return;
    }
    file_->write(logMessage->toString(msg_format_, timestamp_format_).toLocal8Bit());
    // Critical, fatal and info lines reach the disk at once: the process may
    // end right after them.
    if (int(logMessage->getType()) >= int(QtCriticalMsg))
        file_->flush();
    if (file_->error() != QFileDevice::NoError) {
        report("Cannot write to log file %s: %s\n", file_name_, file_->errorString());
        close();
        Logger::write(logMessage);
    }
}

void FileLogger::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == refresh_timer_.timerId())
        refreshSettings();
    else if (event->timerId() == flush_timer_.timerId())
        flushAndRotate();
    else
        Logger::timerEvent(event);
}

void FileLogger::flushAndRotate()
{
    Lock lock;
    if (!file_)
        return;
    file_->flush();
    // Threads that log meanwhile wait on the lock; the new file starts empty.
    if (max_size_ > 0 && file_->size() >= max_size_) {
        close();
        rotate();
        open();
    }
}
