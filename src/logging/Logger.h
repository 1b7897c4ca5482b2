#pragma once

#include "logging/LogMessage.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadStorage>

// Turns Qt's messages into log lines. Installed as the process-wide message
// handler it takes every message of every thread. With a buffer, each thread
// holds its recent messages back until one of high enough level arrives, so
// the debug lines leading up to a problem are kept and the rest are not.
// This base writes to the standard error stream; subclasses pick the target.
class Logger : public QObject
{
    Q_OBJECT
public:
    static const char* const kDefaultMsgFormat;

    explicit Logger(QObject* parent = nullptr);
    Logger(const QString& msgFormat, const QString& timestampFormat, QtMsgType minLevel,
           int bufferSize, QObject* parent = nullptr);
    ~Logger() override;

    virtual void log(QtMsgType type, const QString& message, const QString& file,
                     const QString& function, int line);
    // Both act on the calling thread only; dropped messages are not written.
    virtual void clear(bool buffer, bool variables);

    // Sets a variable of the calling thread: "{name}" in its lines becomes value.
    static void set(const QString& name, const QString& value);

    void installMsgHandler();
    static void msgHandler5(QtMsgType type, const QMessageLogContext& context,
                            const QString& message);
    static void msgHandler(QtMsgType type, const QString& message, const QString& file,
                           const QString& function, int line);

protected:
    // Called with mutex_ held. Must not raise Qt messages: report on stderr.
    virtual void write(const LogMessage* logMessage);

    // Holds mutex_ and marks the calling thread as inside the logger, so that a
    // message raised meanwhile on this thread (by Qt itself, say) goes straight
    // to stderr instead of waiting for a lock this thread already holds.
    class Lock
    {
    public:
        Lock();
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        QMutexLocker locker_;
    };

    // Stops this logger taking Qt's messages; a no-op when it is not installed.
    void uninstallMsgHandler();

    QString msg_format_;
    QString timestamp_format_;
    int min_level_;  // a QtMsgType number; any int an ini gives is kept as is
    int buffer_size_;

    static Logger* default_logger_;
    static QThreadStorage<QHash<QString, QString>*> log_vars_;
    static QMutex mutex_;

private:
    // Called with mutex_ held.
    void logBuffered(QtMsgType type, const QString& message, const QString& file,
                     const QString& function, int line);

    // Names this logger's buffer in each thread's buffers. Never reused, so a
    // thread that outlives a logger cannot hand its held-back messages, or a
    // stale storage slot, to a later one.
    const quint64 serial_;
};
