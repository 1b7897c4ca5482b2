#pragma once

#include <QByteArray>
#include <QHash>

#include <cstdint>

namespace vesk {
namespace pc {

// What a simulated camera answers to the protocol commands that read its
// state: each answer in the layout the host reads, carrying what the
// command that sets that state last sent (zeros until then). The run status
// query answers the run state of the status block.
class SimStateReplies
{
public:
    // A frame the camera took: a setting command's payload is kept.
    void take(const uint8_t* frame);
    // The answer's data bytes to a query; null for a command that is none.
    QByteArray answer(uint16_t command, uint8_t runState) const;
    // A factory reset: every query answers zeros again.
    void forget() { payloads_.clear(); }

private:
    QHash<uint16_t, QByteArray> payloads_;  // by setting command
};

} // namespace pc
} // namespace vesk
