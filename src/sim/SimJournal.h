#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>

namespace vesk {
namespace pc {

// One thing the host did to a simulated camera, or the camera's reboot.
struct SimEvent
{
    enum Kind {
        Frame,     // an upgrade frame on the message channel: text the command word, data its payload
        Shell,     // a shell line in a message frame
        Syscall,   // a shell line on the upgrade service's selector 3
        Command,   // an upgrade command: data the 60-byte record
        Upload,    // a completed upload: text the path, data the file as kept
        Download,  // a download request: text the file name, data the record
        Reboot,    // text "main", "upgrade", "network" or "gone"
        Request,   // to its network service: text the method and path, data the body
    };

    int boot = 1;
    Kind kind = Frame;
    QByteArray text;
    QByteArray data;
};

// What the host did to a camera, in order and across its reboots: the
// camera at a location hands its journal on to the one that comes back.
// Thread-safe.
class SimJournal
{
public:
    void add(const SimEvent& event);
    QList<SimEvent> events() const;
    QList<SimEvent> events(SimEvent::Kind kind) const;
    // One line per event, for comparing with literals: the boot, the kind
    // and its details, e.g. "2 command 0a", "2 upload /app/updater/fwpt 812",
    // "2 reboot upgrade". Records are hex without their trailing zeros.
    QStringList lines() const;

private:
    mutable QMutex mutex_;
    QList<SimEvent> events_;
};

} // namespace pc
} // namespace vesk
