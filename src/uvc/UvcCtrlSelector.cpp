#include "uvc/UvcCtrlSelector.h"

namespace vesk {
namespace pc {

namespace {
constexpr UvcUnitKind kCt = UvcUnitKind::CameraTerminal;
constexpr UvcUnitKind kPu = UvcUnitKind::ProcessingUnit;
} // namespace

// Selectors, lengths and bits as USB Video Class 1.5 defines them.
const UvcCtrlInfo kUvcCtrlTable[UvcCtrlSelectorCount] = {
    {kCt, 0x01, 1, 0},   // scanning mode
    {kCt, 0x02, 1, 1},   // auto-exposure mode
    {kCt, 0x03, 1, 2},   // auto-exposure priority
    {kCt, 0x04, 4, 3},   // exposure time, absolute
    {kCt, 0x05, 1, 4},   // exposure time, relative
    {kCt, 0x06, 2, 5},   // focus, absolute
    {kCt, 0x07, 2, 6},   // focus, relative
    {kCt, 0x12, 1, 19},  // focus, simple range
    {kCt, 0x08, 1, 17},  // focus, auto
    {kCt, 0x09, 2, 7},   // iris, absolute
    {kCt, 0x0A, 1, 8},   // iris, relative
    {kCt, 0x0B, 2, 9},   // zoom, absolute
    {kCt, 0x0C, 3, 10},  // zoom, relative
    {kCt, 0x0D, 8, 11},  // pan/tilt, absolute
    {kCt, 0x0E, 4, 12},  // pan/tilt, relative
    {kCt, 0x0F, 2, 13},  // roll, absolute
    {kCt, 0x10, 2, 14},  // roll, relative
    {kCt, 0x11, 1, 18},  // privacy
    {kCt, 0x13, 12, 20}, // window
    {kCt, 0x14, 10, 21}, // region of interest
    {kPu, 0x01, 2, 8},   // backlight compensation
    {kPu, 0x02, 2, 0},   // brightness
    {kPu, 0x03, 2, 1},   // contrast
    {kPu, 0x13, 1, 18},  // contrast, auto
    {kPu, 0x04, 2, 9},   // gain
    {kPu, 0x05, 1, 10},  // power line frequency
    {kPu, 0x06, 2, 2},   // hue
    {kPu, 0x10, 1, 11},  // hue, auto
    {kPu, 0x07, 2, 3},   // saturation
    {kPu, 0x08, 2, 4},   // sharpness
    {kPu, 0x09, 2, 5},   // gamma
    {kPu, 0x0A, 2, 6},   // white balance temperature
    {kPu, 0x0B, 1, 12},  // white balance temperature, auto
    {kPu, 0x0C, 4, 7},   // white balance component
    {kPu, 0x0D, 1, 13},  // white balance component, auto
    {kPu, 0x0E, 2, 14},  // digital multiplier
    {kPu, 0x0F, 2, 15},  // digital multiplier limit
    {kPu, 0x11, 1, 16},  // analog video standard
    {kPu, 0x12, 1, 17},  // analog video lock status
};

} // namespace pc
} // namespace vesk
