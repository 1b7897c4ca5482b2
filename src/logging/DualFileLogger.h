#pragma once

#include "logging/Logger.h"

class FileLogger;
class QSettings;

// Sends every message to two file loggers, each on its own ini group.
class DualFileLogger : public Logger
{
    Q_OBJECT
public:
    // Neither settings object is owned; both must outlive the logger.
    DualFileLogger(QSettings* firstSettings, QSettings* secondSettings, int refreshInterval,
                   QObject* parent = nullptr);

    void log(QtMsgType type, const QString& message, const QString& file,
             const QString& function, int line) override;
    void clear(bool buffer, bool variables) override;

private:
    FileLogger* first_;  // both children of this object
    FileLogger* second_;
};
