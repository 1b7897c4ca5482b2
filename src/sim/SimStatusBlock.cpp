#include "sim/SimStatusBlock.h"

#include "uvc/CameraStatus.h"
#include "uvc/ExtensionUnit.h"

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

// A status field that a standard control fills; the zoom as its place in
// the control's range.
struct ControlField
{
    UvcUnitKind unit;
    uint8_t selector;
    F field;
    bool placeInRange;
};

const ControlField kControlFields[] = {
    {UvcUnitKind::CameraTerminal, 0x0B, F::Zoom, true},
    {UvcUnitKind::CameraTerminal, 0x06, F::ManualFocus, false},
    {UvcUnitKind::CameraTerminal, 0x08, F::AutoFocus, false},
    {UvcUnitKind::ProcessingUnit, 0x05, F::AntiFlicker, false},  // 0 off, 1 50 Hz, 2 60 Hz
};

int64_t unsignedOf(const QByteArray& value)
{
    uint8_t word[8] = {};
    std::memcpy(word, value.constData(), size_t(std::min(int(value.size()), 8)));
    return int64_t(qFromLittleEndian<quint64>(word));
}

// 0 to 100, rounded to the nearest; 0 for a range that is none.
int placeInRange(const SimControl& control)
{
    const int64_t min = unsignedOf(control.min);
    const int64_t max = unsignedOf(control.max);
    if (max <= min)
        return 0;
    const int64_t place = ((unsignedOf(control.cur) - min) * 200 / (max - min) + 1) / 2;
    return int(qBound<int64_t>(0, place, 100));
}

CameraStatus statusOf(const QByteArray& block)
{
    CameraStatus status;
    std::memcpy(status.bytes, block.constData(),
                size_t(std::min(int(block.size()), ExtensionUnit::kBlockSize)));
    return status;
}

QByteArray blockOf(const CameraStatus& status)
{
    return QByteArray(reinterpret_cast<const char*>(status.bytes), ExtensionUnit::kBlockSize);
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

uint8_t runStateOf(const QByteArray& statusBlock, int productType)
{
    return uint8_t(statusOf(statusBlock).field(F::RunState, productType));
}

void applyControl(const SimControl& control, int productType, QByteArray& statusBlock)
{
    for (const ControlField& row : kControlFields) {
        if (row.unit != control.unit || row.selector != control.selector)
            continue;
        const int64_t value = row.placeInRange ? placeInRange(control) : unsignedOf(control.cur);
        const int64_t largest = CameraStatus::fieldSize(row.field) == 2 ? 0xFFFF : 0xFF;
        CameraStatus status = statusOf(statusBlock);
        status.setField(row.field, int(qMin(value, largest)), productType);
        statusBlock = blockOf(status);
    }
}

} // namespace pc
} // namespace vesk
