#pragma once

#include "sim/SimKnobs.h"
#include "uvc/ExtensionUnit.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's side of the message channel (extension-unit selector 2):
// takes request frames, checks them, and queues reply frames for later reads.
// Not locked: the owning camera serialises the calls.
class SimMessageChannel
{
public:
    static constexpr int kBlockSize = ExtensionUnit::kBlockSize;

    SimMessageChannel();

    // A 60-byte block written by the host. Returns false for a frame the
    // camera could not accept (bad magic, length or checksum).
    bool write(const uint8_t* block, int length, const SimKnobs& knobs,
               const QHash<uint16_t, QByteArray>& replies);
    // Fills a read of length bytes; a camera with nothing to say returns zeros.
    int read(uint8_t* data, int length, const SimKnobs& knobs);

    int pendingReplies() const { return pending_.size(); }
    int droppedFrames() const { return dropped_; }

    // A reply frame as the camera builds it.
    static QByteArray buildReply(const uint8_t* request, int requestLength, const QByteArray& data,
                                 const SimKnobs& knobs);

private:
    struct Pending
    {
        QByteArray block;
        qint64 readyAtMs = 0;
    };

    static bool frameIsValid(const uint8_t* block, int length);

    QList<Pending> pending_;
    QHash<uint16_t, int> copies_;
    QElapsedTimer clock_;
    int dropped_ = 0;
};

} // namespace pc
} // namespace vesk
