#include "platform/sim/SimParamRecords.h"

#include "uvc/CameraStatus.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace pc {

namespace {

using F = CameraStatus::Field;

// A status field that a record fills: the record's id and data length, and
// the data byte the field's value starts at.
struct RecordField
{
    uint8_t id;
    uint8_t length;
    uint8_t dataOffset;
    F field;
};

// Not reported: 0x08 customised button action, 0x12 portrait mode.
const RecordField kFields[] = {
    {0x00, 1, 0, F::MediaMode},
    {0x01, 1, 0, F::Hdr},
    {0x03, 1, 0, F::FaceAe},
    {0x04, 1, 0, F::ViewArea},          // field of view
    {0x05, 1, 0, F::BackgroundKind},
    {0x06, 1, 0, F::BlurLevel},
    {0x07, 1, 0, F::ButtonMode},
    {0x0A, 1, 0, F::NoiseCancellation},
    {0x0B, 2, 0, F::AutoSleep},         // suspend time, signed 16-bit
    {0x0C, 1, 0, F::Portrait},          // vertical mode
    {0x0D, 2, 0, F::AutoFramingParam},  // framing kind
    {0x0D, 2, 1, F::AutoFramingSize},
    {0x10, 1, 0, F::BgProtectArea2},    // background colour
    {0x11, 1, 0, F::VirtualBgSwitch},   // 0 on
};

constexpr uint8_t kImageReplaceId = 0x0E;

CameraStatus statusOf(const QByteArray& block)
{
    CameraStatus status;
    std::memcpy(status.bytes, block.constData(),
                size_t(std::min(int(block.size()), CameraStatus::kBlockSize)));
    return status;
}

QByteArray blockOf(const CameraStatus& status)
{
    return QByteArray(reinterpret_cast<const char*>(status.bytes), CameraStatus::kBlockSize);
}

} // namespace

void applyParamRecord(const uint8_t* record, int productType, QByteArray& statusBlock)
{
    CameraStatus status = statusOf(statusBlock);
    const uint8_t id = record[0];
    const uint8_t length = record[1];
    const uint8_t* data = record + 2;
    if (id == kImageReplaceId) {
        if (length == 2 && data[0] == 0)  // operation 0 selects the image
            status.setField(F::BgProtectArea1, data[1], productType);
    }
    for (const RecordField& row : kFields) {
        if (row.id != id || row.length != length)
            continue;
        const uint8_t* value = data + row.dataOffset;
        status.setField(row.field, CameraStatus::fieldSize(row.field) == 2 ? qFromLittleEndian<quint16>(value)
                                                                           : value[0],
                        productType);
    }
    statusBlock = blockOf(status);
}

void applyRunStatus(uint8_t state, int productType, QByteArray& statusBlock)
{
    CameraStatus status = statusOf(statusBlock);
    status.setField(F::RunState, state, productType);
    statusBlock = blockOf(status);
}

} // namespace pc
} // namespace vesk
