#include "logging/DualFileLogger.h"

#include "logging/FileLogger.h"

DualFileLogger::DualFileLogger(QSettings* firstSettings, QSettings* secondSettings,
                               int refreshInterval, QObject* parent)
    : Logger(parent)
    , first_(new FileLogger(firstSettings, refreshInterval, this))
    , second_(new FileLogger(secondSettings, refreshInterval, this))
{
}

void DualFileLogger::log(QtMsgType type, const QString& message, const QString& file,
                         const QString& function, int line)
{
    first_->log(type, message, file, function, line);
    second_->log(type, message, file, function, line);
}

void DualFileLogger::clear(bool buffer, bool variables)
{
    first_->clear(buffer, variables);
    second_->clear(buffer, variables);
}
