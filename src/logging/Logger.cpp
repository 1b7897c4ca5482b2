#include "logging/Logger.h"

#include <QRecursiveMutex>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <unordered_map>

Logger* Logger::default_logger_ = nullptr;
QThreadStorage<QHash<QString, QString>*> Logger::log_vars_;
QMutex Logger::mutex_;
const char* const Logger::kDefaultMsgFormat = "{timestamp} {type} {msg}";

namespace {

const char* const kDefaultTimestampFormat = "dd.MM.yyyy hh:mm:ss.zzz";

// Depth of Logger::Lock on this thread.
thread_local int t_insideLogger = 0;

// One thread's held-back messages, per logger serial. The storage lives as
// long as the process, so its slot is never reused; a thread's buffers, and
// the messages they own, go with the thread.
using Buffer = std::deque<std::unique_ptr<LogMessage>>;
using ThreadBuffers = std::unordered_map<quint64, Buffer>;
QThreadStorage<ThreadBuffers*> g_threadBuffers;

std::atomic<quint64> g_nextSerial{1};

// The calling thread's buffers; created when create is true and none exist.
ThreadBuffers* threadBuffers(bool create)
{
    ThreadBuffers* buffers = g_threadBuffers.localData();
    if (!buffers && create) {
        buffers = new ThreadBuffers;
        g_threadBuffers.setLocalData(buffers);
    }
    return buffers;
}

// Drops, unwritten, what the calling thread holds back for one logger.
void dropBuffer(quint64 serial)
{
    if (ThreadBuffers* buffers = threadBuffers(false))
        buffers->erase(serial);
}

// Serialises the handler process-wide; taken before Logger::mutex_, never after.
QRecursiveMutex& handlerMutex()
{
    static QRecursiveMutex mutex;
    return mutex;
}

// Held while the handler is inside the logger, to keep it from re-entering.
QMutex& reentryMutex()
{
    static QMutex mutex;
    return mutex;
}

void writeRaw(const QString& message)
{
    const QByteArray bytes = message.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// Info counts as the lowest level when deciding whether a buffer is written out.
int bufferLevel(QtMsgType type)
{
    return type == QtInfoMsg ? 0 : int(type);
}

} // namespace

Logger::Lock::Lock()
    : locker_(&Logger::mutex_)
{
    ++t_insideLogger;
}

Logger::Lock::~Lock()
{
    --t_insideLogger;
}

Logger::Logger(QObject* parent)
    : Logger(QString::fromLatin1(kDefaultMsgFormat), QString::fromLatin1(kDefaultTimestampFormat),
             QtDebugMsg, 0, parent)
{
}

Logger::Logger(const QString& msgFormat, const QString& timestampFormat, QtMsgType minLevel,
               int bufferSize, QObject* parent)
    : QObject(parent)
    , msg_format_(msgFormat)
    , timestamp_format_(timestampFormat)
    , min_level_(int(minLevel))
    , buffer_size_(bufferSize)
    , serial_(g_nextSerial++)
{
}

Logger::~Logger()
{
    uninstallMsgHandler();
    // Other threads' buffers go with their threads; this one's goes now.
    Lock lock;
    dropBuffer(serial_);
}

void Logger::uninstallMsgHandler()
{
    QMutexLocker handler(&handlerMutex());
    if (default_logger_ != this)
        return;
    qInstallMessageHandler(nullptr);
    default_logger_ = nullptr;
}

void Logger::installMsgHandler()
{
    QMutexLocker handler(&handlerMutex());
    default_logger_ = this;
    qInstallMessageHandler(msgHandler5);
}

void Logger::log(QtMsgType type, const QString& message, const QString& file,
                 const QString& function, int line)
{
    Lock lock;
    if (buffer_size_ > 0) {
        logBuffered(type, message, file, function, line);
        return;
    }
    // A fatal message is the last word of the process: it is always written.
    if (int(type) < min_level_ && type != QtFatalMsg)
        return;
    const LogMessage logMessage(type, message, log_vars_.localData(), file, function, line);
    write(&logMessage);
}

void Logger::logBuffered(QtMsgType type, const QString& message, const QString& file,
                         const QString& function, int line)
{
    Buffer& buffer = (*threadBuffers(true))[serial_];
    buffer.push_back(std::make_unique<LogMessage>(type, message, log_vars_.localData(), file,
                                                  function, line));
    if (int(buffer.size()) > buffer_size_)
        buffer.pop_front();
    if (bufferLevel(type) < min_level_ && type != QtFatalMsg)
        return;
    while (!buffer.empty()) {
        const std::unique_ptr<LogMessage> oldest = std::move(buffer.front());
        buffer.pop_front();
        write(oldest.get());
    }
}

void Logger::clear(bool buffer, bool variables)
{
    Lock lock;
    if (buffer)
        dropBuffer(serial_);
    if (variables)
        log_vars_.setLocalData(nullptr);
}

void Logger::set(const QString& name, const QString& value)
{
    Lock lock;
    QHash<QString, QString>* vars = log_vars_.localData();
    if (!vars) {
        vars = new QHash<QString, QString>;
        log_vars_.setLocalData(vars);
    }
    vars->insert(name, value);
}

void Logger::write(const LogMessage* logMessage)
{
    writeRaw(logMessage->toString(msg_format_, timestamp_format_));
}

void Logger::msgHandler5(QtMsgType type, const QMessageLogContext& context,
                         const QString& message)
{
    msgHandler(type, message, QString::fromUtf8(context.file), QString::fromUtf8(context.function),
               context.line);
}

void Logger::msgHandler(QtMsgType type, const QString& message, const QString& file,
                        const QString& function, int line)
{
    // Raised from inside the logger on this thread: any lock could already be
    // ours or be waited on by a thread that holds handlerMutex, so take none.
    if (t_insideLogger > 0) {
        writeRaw(message);
        if (type == QtFatalMsg)
            std::abort();
        return;
    }
    QMutexLocker handler(&handlerMutex());
    if (default_logger_ && reentryMutex().tryLock()) {
        default_logger_->log(type, message, file, function, line);
        reentryMutex().unlock();
    } else {
        writeRaw(message);
    }
    // Still holding the handler lock: no other thread's line can follow.
    if (type == QtFatalMsg)
        std::abort();
}
