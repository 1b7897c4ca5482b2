#include "platform/linux/V4l2ControlMap.h"

#include <QtEndian>
#include <QtGlobal>

#include <linux/videodev2.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

namespace vesk {
namespace pc {

namespace {

constexpr UvcUnitKind kCt = UvcUnitKind::CameraTerminal;
constexpr UvcUnitKind kPu = UvcUnitKind::ProcessingUnit;
constexpr V4l2Packing kNone = V4l2Packing::None;
constexpr V4l2Packing kPlain = V4l2Packing::Plain;

// UVC auto-exposure mode bits in the order of the V4L2 exposure menu items.
constexpr int kExposureModes[] = {
    2,  // V4L2_EXPOSURE_AUTO
    1,  // V4L2_EXPOSURE_MANUAL
    4,  // V4L2_EXPOSURE_SHUTTER_PRIORITY
    8,  // V4L2_EXPOSURE_APERTURE_PRIORITY
};

constexpr V4l2ControlPart u(uint32_t id, uint8_t size, uint8_t offset = 0)
{
    return {id, offset, size, false};
}

constexpr V4l2ControlPart s(uint32_t id, uint8_t size, uint8_t offset = 0)
{
    return {id, offset, size, true};
}

// Fields are 1 to 4 bytes wide; a short one is read through a zero-padded word.
int32_t readLittle(const uint8_t* data, int size, bool isSigned)
{
    uint8_t word[4] = {};
    std::memcpy(word, data, size_t(size));
    uint32_t value = qFromLittleEndian<quint32>(word);
    if (isSigned && size < 4 && (value >> (size * 8 - 1)) & 1)
        value |= ~0u << (size * 8);  // sign-extend
    int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

void writeLittle(int64_t value, int size, uint8_t* data)
{
    uint8_t word[8];
    qToLittleEndian<quint64>(quint64(value), word);
    std::memcpy(data, word, size_t(size));
}

// A direction byte and a magnitude: the sign of the signed direction decides.
int32_t fromDirection(uint8_t direction, uint8_t speed)
{
    const int8_t sign = int8_t(direction);
    return sign == 0 ? 0 : (sign > 0 ? speed : -int32_t(speed));
}

void toDirection(int32_t value, uint8_t* direction, uint8_t* speed)
{
    *direction = value == 0 ? 0 : (value > 0 ? 0x01 : 0xFF);
    *speed = uint8_t(qMin<int64_t>(std::llabs(int64_t(value)), 0xFF));
}

} // namespace

// Standard controls (UVC 1.5 selectors and lengths) and the V4L2 controls
// that uvcvideo maps them to. A row marked none has no V4L2 control at all.
const V4l2ControlRow V4l2ControlMap::kRows[kRowCount] = {
    {kCt, 0x01, 1, kNone, {}},  // scanning mode
    {kCt, 0x02, 1, V4l2Packing::ExposureMode, {u(V4L2_CID_EXPOSURE_AUTO, 1)}},
    {kCt, 0x03, 1, kPlain, {u(V4L2_CID_EXPOSURE_AUTO_PRIORITY, 1)}},
    {kCt, 0x04, 4, kPlain, {u(V4L2_CID_EXPOSURE_ABSOLUTE, 4)}},
    {kCt, 0x05, 1, kNone, {}},  // exposure time, relative
    {kCt, 0x06, 2, kPlain, {u(V4L2_CID_FOCUS_ABSOLUTE, 2)}},
    {kCt, 0x07, 2, V4l2Packing::Speed, {s(V4L2_CID_FOCUS_RELATIVE, 2)}},
    {kCt, 0x12, 1, kNone, {}},  // focus, simple range
    {kCt, 0x08, 1, kPlain, {u(V4L2_CID_FOCUS_AUTO, 1)}},
    {kCt, 0x09, 2, kPlain, {u(V4L2_CID_IRIS_ABSOLUTE, 2)}},
    {kCt, 0x0A, 1, kPlain, {s(V4L2_CID_IRIS_RELATIVE, 1)}},
    {kCt, 0x0B, 2, kPlain, {u(V4L2_CID_ZOOM_ABSOLUTE, 2)}},
    {kCt, 0x0C, 3, V4l2Packing::Zoom, {s(V4L2_CID_ZOOM_CONTINUOUS, 3)}},
    {kCt, 0x0D, 8, kPlain, {s(V4L2_CID_PAN_ABSOLUTE, 4), s(V4L2_CID_TILT_ABSOLUTE, 4, 4)}},
    {kCt, 0x0E, 4, V4l2Packing::Speed, {s(V4L2_CID_PAN_SPEED, 2), s(V4L2_CID_TILT_SPEED, 2, 2)}},
    {kCt, 0x0F, 2, kNone, {}},  // roll, absolute
    {kCt, 0x10, 2, kNone, {}},  // roll, relative
    {kCt, 0x11, 1, kPlain, {u(V4L2_CID_PRIVACY, 1)}},
    {kCt, 0x13, 12, kNone, {}},  // window
    {kCt, 0x14, 10, kNone, {}},  // region of interest
    {kPu, 0x01, 2, kPlain, {u(V4L2_CID_BACKLIGHT_COMPENSATION, 2)}},
    {kPu, 0x02, 2, kPlain, {s(V4L2_CID_BRIGHTNESS, 2)}},
    {kPu, 0x03, 2, kPlain, {u(V4L2_CID_CONTRAST, 2)}},
    {kPu, 0x13, 1, kNone, {}},  // contrast, auto
    {kPu, 0x04, 2, kPlain, {u(V4L2_CID_GAIN, 2)}},
    {kPu, 0x05, 1, kPlain, {u(V4L2_CID_POWER_LINE_FREQUENCY, 1)}},  // same values as the menu
    {kPu, 0x06, 2, kPlain, {s(V4L2_CID_HUE, 2)}},
    {kPu, 0x10, 1, kPlain, {u(V4L2_CID_HUE_AUTO, 1)}},
    {kPu, 0x07, 2, kPlain, {u(V4L2_CID_SATURATION, 2)}},
    {kPu, 0x08, 2, kPlain, {u(V4L2_CID_SHARPNESS, 2)}},
    {kPu, 0x09, 2, kPlain, {u(V4L2_CID_GAMMA, 2)}},
    {kPu, 0x0A, 2, kPlain, {u(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2)}},
    {kPu, 0x0B, 1, kPlain, {u(V4L2_CID_AUTO_WHITE_BALANCE, 1)}},
    {kPu, 0x0C, 4, kPlain, {u(V4L2_CID_BLUE_BALANCE, 2), u(V4L2_CID_RED_BALANCE, 2, 2)}},
    {kPu, 0x0D, 1, kPlain, {u(V4L2_CID_AUTO_WHITE_BALANCE, 1)}},  // uvcvideo shares the id
    {kPu, 0x0E, 2, kNone, {}},  // digital multiplier
    {kPu, 0x0F, 2, kNone, {}},  // digital multiplier limit
    {kPu, 0x11, 1, kNone, {}},  // analog video standard
    {kPu, 0x12, 1, kNone, {}},  // analog video lock status
};

int V4l2ControlMap::rowOf(UvcUnitKind unit, uint8_t selector)
{
    for (int i = 0; i < kRowCount; ++i) {
        if (kRows[i].unit == unit && kRows[i].selector == selector)
            return i;
    }
    return -1;
}

int V4l2ControlMap::partCount(const V4l2ControlRow& row)
{
    if (row.packing == V4l2Packing::None)
        return 0;
    return row.parts[1].id != 0 ? 2 : 1;
}

bool V4l2ControlMap::toV4l2(const V4l2ControlRow& row, const uint8_t* data, int32_t values[2])
{
    switch (row.packing) {
    case V4l2Packing::None:
        return false;
    case V4l2Packing::Plain:
        for (int i = 0; i < partCount(row); ++i) {
            const V4l2ControlPart& part = row.parts[i];
            values[i] = readLittle(data + part.offset, part.size, part.isSigned);
        }
        return true;
    case V4l2Packing::Speed:
        for (int i = 0; i < partCount(row); ++i)
            values[i] = fromDirection(data[row.parts[i].offset], data[row.parts[i].offset + 1]);
        return true;
    case V4l2Packing::Zoom:
        values[0] = fromDirection(data[0], data[2]);
        return true;
    case V4l2Packing::ExposureMode:
        values[0] = exposureMenuItem(data[0]);
        return values[0] >= 0;
    }
    return false;
}

bool V4l2ControlMap::toUvc(const V4l2ControlRow& row, const int32_t values[2], uint8_t* data)
{
    std::memset(data, 0, row.length);
    switch (row.packing) {
    case V4l2Packing::None:
        return false;
    case V4l2Packing::Plain:
        for (int i = 0; i < partCount(row); ++i)
            writeLittle(values[i], row.parts[i].size, data + row.parts[i].offset);
        return true;
    case V4l2Packing::Speed:
        for (int i = 0; i < partCount(row); ++i) {
            uint8_t* at = data + row.parts[i].offset;
            toDirection(values[i], at, at + 1);
        }
        return true;
    case V4l2Packing::Zoom:
        toDirection(values[0], data, data + 2);
        return true;
    case V4l2Packing::ExposureMode: {
        const int mode = exposureUvcMode(values[0]);
        data[0] = uint8_t(qMax(mode, 0));
        return mode > 0;
    }
    }
    return false;
}

int V4l2ControlMap::exposureMenuItem(int uvcMode)
{
    for (int item = 0; item < int(std::size(kExposureModes)); ++item) {
        if (kExposureModes[item] == uvcMode)
            return item;
    }
    return -1;
}

int V4l2ControlMap::exposureUvcMode(int menuItem)
{
    if (menuItem < 0 || menuItem >= int(std::size(kExposureModes)))
        return -1;
    return kExposureModes[menuItem];
}

} // namespace pc
} // namespace vesk
