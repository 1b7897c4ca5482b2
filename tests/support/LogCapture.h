#pragma once

// The messages logged while a capture lives, from any thread, for tests
// that look for a line among many. Critical lines still reach the previous
// handler when ORLACAM_TEST_VERBOSE is set.

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    LogCapture()
    {
        current() = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    bool contains(const QString& text) const
    {
        QMutexLocker lock(&mutex_);
        for (const QString& line : lines_) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    int count(const QString& text) const
    {
        QMutexLocker lock(&mutex_);
        int found = 0;
        for (const QString& line : lines_)
            found += line.contains(text) ? 1 : 0;
        return found;
    }

private:
    static LogCapture*& current()
    {
        static LogCapture* capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        LogCapture* capture = current();
        if (!capture)
            return;
        {
            QMutexLocker lock(&capture->mutex_);
            capture->lines_ << message;
        }
        if (type >= QtCriticalMsg && qEnvironmentVariableIsSet("ORLACAM_TEST_VERBOSE"))
            capture->previous_(type, context, message);
    }

    mutable QMutex mutex_;
    QStringList lines_;
    QtMessageHandler previous_ = nullptr;
};
