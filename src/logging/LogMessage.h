#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// One message as it arrived, with the sending thread's variables and the time
// of arrival, so a buffered message still prints what was true when it was sent.
class LogMessage
{
public:
    // logVars may be null (the thread has no variables).
    LogMessage(QtMsgType type, const QString& message, const QHash<QString, QString>* logVars,
               const QString& file, const QString& function, int line);

    // The log line: msgFormat with its tokens replaced and a line break appended.
    QString toString(const QString& msgFormat, const QString& timestampFormat) const;
    QtMsgType getType() const { return type_; }

private:
    QHash<QString, QString> log_vars_;
    QDateTime timestamp_;
    QtMsgType type_;
    QString message_;
    QString file_;
    QString function_;
    int line_;
};
