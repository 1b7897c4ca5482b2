#include "sim/SimCameraModel.h"

#include "uvc/IdentityTables.h"

#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

struct ControlRow
{
    UvcUnitKind unit;
    uint8_t selector;
    int length;
    int64_t min, max, res, def;
};

constexpr UvcUnitKind kCt = UvcUnitKind::CameraTerminal;
constexpr UvcUnitKind kPu = UvcUnitKind::ProcessingUnit;
constexpr uint8_t kNoPlatform = kPlatformTypeLast + 1;  // the platform table's empty slot

// Ranges of a typical webcam; pan/tilt are built from their halves below.
const ControlRow kControls[] = {
    {kCt, 0x02, 1, 1, 8, 0x0F, 8},         // auto-exposure mode (res is the mode bitmap)
    {kCt, 0x04, 4, 3, 2047, 1, 156},       // exposure time, absolute
    {kCt, 0x06, 2, 0, 1023, 1, 0},         // focus, absolute
    {kCt, 0x08, 1, 0, 1, 1, 1},            // focus, auto
    {kCt, 0x0B, 2, 100, 500, 1, 100},      // zoom, absolute
    {kPu, 0x01, 2, 0, 2, 1, 1},            // backlight compensation
    {kPu, 0x02, 2, 0, 255, 1, 128},        // brightness
    {kPu, 0x03, 2, 0, 100, 1, 50},         // contrast
    {kPu, 0x13, 1, 0, 1, 1, 0},            // contrast, auto
    {kPu, 0x04, 2, 0, 100, 1, 0},          // gain
    {kPu, 0x05, 1, 0, 2, 1, 1},            // power line frequency
    {kPu, 0x06, 2, -180, 180, 1, 0},       // hue
    {kPu, 0x10, 1, 0, 1, 1, 0},            // hue, auto
    {kPu, 0x07, 2, 0, 100, 1, 50},         // saturation
    {kPu, 0x08, 2, 0, 100, 1, 50},         // sharpness
    {kPu, 0x0A, 2, 2800, 6500, 100, 4600}, // white balance temperature
    {kPu, 0x0B, 1, 0, 1, 1, 1},            // white balance temperature, auto
};

QByteArray pair32(int32_t first, int32_t second)
{
    return SimControl::le(first, 4) + SimControl::le(second, 4);
}

} // namespace

QByteArray SimControl::le(int64_t value, int length)
{
    char word[8];
    qToLittleEndian<quint64>(quint64(value), word);
    return QByteArray(word, qBound(0, length, 8)).leftJustified(length, '\0');
}

SimControl SimControl::make(UvcUnitKind unit, uint8_t selector, int length, int64_t min,
                            int64_t max, int64_t res, int64_t def)
{
    SimControl control;
    control.unit = unit;
    control.selector = selector;
    control.min = le(min, length);
    control.max = le(max, length);
    control.res = le(res, length);
    control.def = le(def, length);
    control.cur = control.def;
    return control;
}

QList<SimControl> SimCameraModel::defaultControls()
{
    QList<SimControl> controls;
    for (const ControlRow& row : kControls)
        controls << SimControl::make(row.unit, row.selector, row.length, row.min, row.max,
                                     row.res, row.def);

    SimControl panTilt;  // absolute: pan and tilt as two signed 32-bit values
    panTilt.selector = 0x0D;
    panTilt.min = pair32(-10, -5);
    panTilt.max = pair32(10, 5);
    panTilt.res = pair32(1, 1);
    panTilt.def = panTilt.cur = pair32(0, 0);
    controls << panTilt;

    SimControl panTiltRel;  // relative: direction and speed bytes per axis
    panTiltRel.selector = 0x0E;
    panTiltRel.min = QByteArray::fromHex("ff01ff01");
    panTiltRel.max = QByteArray::fromHex("0114010a");  // speeds 20 and 10
    panTiltRel.res = QByteArray::fromHex("01010101");
    panTiltRel.def = panTiltRel.cur = QByteArray(4, '\0');
    controls << panTiltRel;
    return controls;
}

QHash<uint16_t, QByteArray> SimCameraModel::identityReplies() const
{
    const SimUpgradeKnobs& upgradeKnobs = knobs.upgrade;
    const bool sparse = systemType != 1 && upgradeKnobs.sparseIdentity
        && (upgradeKnobs.boot == 0 || upgradeKnobs.boot == boot);
    const uint32_t reported = sparse ? 0 : version;
    QByteArray info;
    info += char(productIndex);
    info += char(branchIndex);
    info += char(sparse ? kNoPlatform : platformIndex);
    info += char(statusIndex);
    info += SimControl::le(reported, 4);
    info += uuid.left(24).leftJustified(24, '\0');  // the sequence id is the uuid
    info += char(systemType);
    info += char(socVersion);
    return {{0x8010, SimControl::le(reported, 4)},
            {0x8060, uuid},
            {0x8063, serial},
            {0x8065, info}};
}

} // namespace pc
} // namespace vesk
