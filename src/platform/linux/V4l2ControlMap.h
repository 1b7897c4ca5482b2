#pragma once

#include "platform/UvcRequest.h"

#include <cstdint>

namespace vesk {
namespace pc {

// How a standard control's UVC bytes sit in V4L2 control values.
enum class V4l2Packing : uint8_t {
    None,          // V4L2 has no control for it
    Plain,         // each part a little-endian integer at its offset
    Speed,         // each part a direction byte (1, 0xFF, 0) then a magnitude byte
    Zoom,          // bZoom direction at 0, bSpeed at 2 (byte 1, digital zoom, left 0)
    ExposureMode,  // UVC mode bit 1/2/4/8 against the exposure menu's items
};

struct V4l2ControlPart
{
    uint32_t id = 0;  // V4L2 control id
    uint8_t offset = 0;
    uint8_t size = 0;
    bool isSigned = false;
};

// One row of the standard-control table with its V4L2 counterpart. Rows are
// indexed 0 to 38 in the camera link's own order; the selector and length
// repeat the camera link's table because this layer may not depend on it
// (the tests hold the two side by side).
struct V4l2ControlRow
{
    UvcUnitKind unit;
    uint8_t selector;
    uint8_t length;
    V4l2Packing packing;
    V4l2ControlPart parts[2];
};

// Translation of standard-control values between UVC bytes and V4L2 values.
class V4l2ControlMap
{
public:
    static constexpr int kRowCount = 39;
    static const V4l2ControlRow kRows[kRowCount];

    // Index of the row for a unit and selector, -1 when none.
    static int rowOf(UvcUnitKind unit, uint8_t selector);
    static int partCount(const V4l2ControlRow& row);

    // UVC bytes of one value (row.length of them) to the V4L2 values of its
    // parts; false when the bytes name nothing V4L2 can hold.
    static bool toV4l2(const V4l2ControlRow& row, const uint8_t* data, int32_t values[2]);
    // V4L2 values of the parts to UVC bytes; false when a value has no UVC form.
    static bool toUvc(const V4l2ControlRow& row, const int32_t values[2], uint8_t* data);

    // The exposure menu's item for a UVC auto-exposure mode and back; -1 for none.
    static int exposureMenuItem(int uvcMode);
    static int exposureUvcMode(int menuItem);
};

} // namespace pc
} // namespace vesk
