#pragma once

#include "uvc/AiStatus.h"

#include <QByteArray>
#include <QVariantList>

#include <cstdint>

namespace vesk {
namespace pc {

// The replies that carry values, by command word: what a receiver's method
// gets for them, and the records the blocking getters fill from the same
// bytes. Data offsets count from the reply's first data byte (frame byte 13).
class ReplyDecoders
{
public:
    struct Row
    {
        uint16_t command;
        int dataNeeded;         // data bytes the decoding reads
        const char* errorText;  // logged with an error result
        QVariantList (*arguments)(const uint8_t* data);
    };

    // The row of a command, or null when its replies reach no receiver.
    static const Row* find(uint16_t command);
    // The row's data bytes; 0 for a command without a row.
    static int dataNeeded(uint16_t command);

    // AI_FETCH_SHORT_STATUS (0x3092); data holds at least 38 bytes.
    static AiStatus aiShortStatus(const uint8_t* data);
};

} // namespace pc
} // namespace vesk
