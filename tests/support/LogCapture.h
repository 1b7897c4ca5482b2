#pragma once

// Collects the log lines of every thread for as long as it lives; one
// capture at a time. Messages still go on to the handler in place before.

#include <QMutex>
#include <QMutexLocker>
#include <QPair>
#include <QStringList>

class LogCapture
{
public:
    LogCapture()
    {
        QMutexLocker lock(&mutex());
        lines().clear();
        quieted().clear();
        previous() = qInstallMessageHandler(&LogCapture::collect);
    }
    ~LogCapture() { qInstallMessageHandler(previous()); }

    // Lines that start with start are still collected but not passed on: a
    // flood of them would hide the test's own output.
    void quiet(const QString& start)
    {
        QMutexLocker lock(&mutex());
        quieted().append(start);
    }

    bool contains(const QString& line) const { return count(line, true) > 0; }
    bool startsWith(const QString& start) const { return count(start) > 0; }
    // Lines that start with start (or equal it), of one type or of any.
    int count(const QString& start, bool whole = false, int type = -1) const
    {
        QMutexLocker lock(&mutex());
        int found = 0;
        for (const auto& line : lines()) {
            const bool match = whole ? line.second == start : line.second.startsWith(start);
            found += match && (type < 0 || type == line.first) ? 1 : 0;
        }
        return found;
    }
    int countOf(QtMsgType type, const QString& start) const { return count(start, false, type); }
    // Lines that hold text anywhere.
    bool mentions(const QString& text) const { return mentionCount(text) > 0; }
    int mentionCount(const QString& text) const
    {
        QMutexLocker lock(&mutex());
        int found = 0;
        for (const auto& line : lines())
            found += line.second.contains(text) ? 1 : 0;
        return found;
    }

private:
    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static QList<QPair<int, QString>>& lines()
    {
        static QList<QPair<int, QString>> l;
        return l;
    }
    static QStringList& quieted()
    {
        static QStringList q;
        return q;
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        bool passOn = true;
        {
            QMutexLocker lock(&mutex());
            lines().append({int(type), message});
            for (const QString& start : qAsConst(quieted()))
                passOn = passOn && !message.startsWith(start);
        }
        if (passOn && previous())
            previous()(type, context, message);
    }
};
