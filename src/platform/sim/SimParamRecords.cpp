#include "platform/sim/SimParamRecords.h"

namespace vesk {
namespace pc {

namespace {

// Record id, its data length, and where the status block reports it.
struct RecordPlace
{
    uint8_t id;
    uint8_t length;
    int statusByte;  // -1: not reported
};

const RecordPlace kPlaces[] = {
    {0x00, 1, 0},   // media mode
    {0x01, 1, 1},   // HDR
    {0x03, 1, 3},   // face auto exposure
    {0x04, 1, 4},   // field of view
    {0x05, 1, 5},   // background kind
    {0x06, 1, 6},   // blur level
    {0x07, 1, 10},  // button mode
    {0x08, 3, -1},  // customised button action
    {0x0A, 1, 14},  // noise cancellation
    {0x0B, 2, 18},  // suspend time, signed 16-bit
    {0x0C, 1, 15},  // vertical mode
    {0x0D, 2, 16},  // auto-framing kind and size
    {0x10, 1, 22},  // background colour
    {0x11, 1, 26},  // virtual background, 0 on
    {0x12, 1, -1},  // portrait mode
};

constexpr uint8_t kImageReplaceId = 0x0E;
constexpr int kReplaceIndexByte = 20;

} // namespace

void applyParamRecord(const uint8_t* record, QByteArray& statusBlock)
{
    if (statusBlock.size() < 60)
        statusBlock.append(QByteArray(60 - statusBlock.size(), '\0'));
    const uint8_t id = record[0];
    const uint8_t length = record[1];
    if (id == kImageReplaceId) {
        if (length == 2 && record[2] == 0)  // operation 0 selects the image
            statusBlock[kReplaceIndexByte] = char(record[3]);
        return;
    }
    for (const RecordPlace& place : kPlaces) {
        if (place.id != id)
            continue;
        if (place.length != length || place.statusByte < 0)
            return;
        for (int i = 0; i < length; ++i)
            statusBlock[place.statusByte + i] = char(record[2 + i]);
        return;
    }
}

} // namespace pc
} // namespace vesk
