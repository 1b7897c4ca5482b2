#include "sim/SimJournal.h"

#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

const char* const kKindNames[] = {"frame", "shell", "syscall", "command", "upload", "download", "reboot", "request"};

QByteArray trimmedHex(QByteArray record)
{
    while (record.endsWith('\0'))
        record.chop(1);
    return record.toHex();
}

QString describe(const SimEvent& event)
{
    QByteArray detail;
    switch (event.kind) {
    case SimEvent::Frame: detail = event.text + ' ' + event.data.toHex(); break;
    case SimEvent::Command: detail = trimmedHex(event.data); break;
    case SimEvent::Upload: detail = event.text + ' ' + QByteArray::number(event.data.size()); break;
    case SimEvent::Download: detail = QByteArray::number(event.data.isEmpty() ? 0 : uint8_t(event.data[0])) + ' ' + event.text; break;
    case SimEvent::Request: detail = event.data.isEmpty() ? event.text : event.text + ' ' + event.data; break;
    default: detail = event.text; break;
    }
    return QStringLiteral("%1 %2 %3").arg(event.boot).arg(QLatin1String(kKindNames[event.kind]),
                                                         QString::fromLatin1(detail));
}

} // namespace

void SimJournal::add(const SimEvent& event)
{
    QMutexLocker lock(&mutex_);
    events_.append(event);
}

QList<SimEvent> SimJournal::events() const
{
    QMutexLocker lock(&mutex_);
    return events_;
}

QList<SimEvent> SimJournal::events(SimEvent::Kind kind) const
{
    QList<SimEvent> found;
    for (const SimEvent& event : events()) {
        if (event.kind == kind)
            found << event;
    }
    return found;
}

QStringList SimJournal::lines() const
{
    QStringList lines;
    for (const SimEvent& event : events())
        lines << describe(event);
    return lines;
}

} // namespace pc
} // namespace vesk
