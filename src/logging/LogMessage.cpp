#include "logging/LogMessage.h"

#include <QThread>

namespace {

// Indexed by QtMsgType: debug, warning, critical, fatal, info.
const char kTypeLetters[] = {'D', 'W', 'C', 'F', 'I'};
const int kTypeCount = int(sizeof(kTypeLetters));

} // namespace

LogMessage::LogMessage(QtMsgType type, const QString& message,
                       const QHash<QString, QString>* logVars, const QString& file,
                       const QString& function, int line)
    : timestamp_(QDateTime::currentDateTime())
    , type_(type)
    , message_(message)
    , file_(file)
    , function_(function)
    , line_(line)
{
    if (logVars)
        log_vars_ = *logVars;
}

QString LogMessage::toString(const QString& msgFormat, const QString& timestampFormat) const
{
    // The message goes in first, so tokens inside its text are replaced as well.
    QString line = msgFormat;
    line.replace(QLatin1String("{msg}"), message_);
    line.replace(QLatin1String("{timestamp}"), timestamp_.toString(timestampFormat));
    line.replace(QLatin1String("{type_nr}"), QString::number(int(type_)));
    if (int(type_) >= 0 && int(type_) < kTypeCount)
        line.replace(QLatin1String("{type}"), QString(QLatin1Char(kTypeLetters[int(type_)])));
    line.replace(QLatin1String("{file}"), file_.mid(file_.lastIndexOf(QLatin1Char('/')) + 1));
    line.replace(QLatin1String("{function}"), function_);
    line.replace(QLatin1String("{line}"), QString::number(line_));
    line.replace(QLatin1String("{thread}"),
                 QString::asprintf("%p", static_cast<void*>(QThread::currentThreadId())));
    if (line.contains(QLatin1Char('{')) && !log_vars_.isEmpty()) {
        for (auto it = log_vars_.cbegin(); it != log_vars_.cend(); ++it)
            line.replace(QLatin1Char('{') + it.key() + QLatin1Char('}'), it.value());
    }
    line.append(QLatin1Char('\n'));
    return line;
}
