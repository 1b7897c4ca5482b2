// The standard UVC controls of the camera terminal and processing unit: the
// control table's operations, getters, setters, range readers and pan/tilt.
// Each control pair or range is a table row; the code that walks them is
// written once.

#include "uvc/StandardControls.h"

#include <QDebug>
#include <QMutexLocker>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vesk {
namespace pc {

namespace {

// How the first bytes of a control value become a number.
enum class Widen { Signed16, Unsigned16, Unsigned32, Signed32 };

int64_t widen(const uint8_t* bytes, Widen how)
{
    switch (how) {
    case Widen::Signed16: return qFromLittleEndian<qint16>(bytes);
    case Widen::Unsigned16: return qFromLittleEndian<quint16>(bytes);
    case Widen::Unsigned32: return qFromLittleEndian<quint32>(bytes);
    case Widen::Signed32: return qFromLittleEndian<qint32>(bytes);
    }
    return 0;
}

// One request that must move exactly the control's length.
bool readControl(ControlPort& device, UvcCtrlSelectorType type, UvcUTCtrlRequest& value)
{
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    return device.getDataByTypeLengthSelectorUnitId(value.bytes, int(UvcRequest::GetCur), info.length,
                                                    info.selector, info.unit, device.unitIdFor(info.unit))
           == info.length;
}

bool writeControl(ControlPort& device, UvcCtrlSelectorType type, int64_t value)
{
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    UvcUTCtrlRequest request;
    qToLittleEndian<quint64>(uint64_t(value), request.bytes);  // longer controls are zero-padded
    return device.setDataWithLengthSelectorUnitId(request.bytes, info.length, info.selector, info.unit,
                                                  device.unitIdFor(info.unit))
           == info.length;
}

// What the first control of a pair says about "auto".
enum class AutoKind {
    Ignored,      // no auto control; a getter reports false, a setter ignores the flag
    Flag,         // one byte, auto when not 0
    ExposureMode, // auto-exposure mode: auto is 2 (auto) or 8 (aperture priority)
};

struct ControlPair
{
    AutoKind autoKind;
    UvcCtrlSelectorType autoControl;
    UvcCtrlSelectorType valueControl;
    Widen widen;
};

constexpr uint8_t kAeModeManual = 1;
constexpr uint8_t kAeModeAuto = 2;
constexpr uint8_t kAeModeAperturePriority = 8;

const ControlPair kFocus = {AutoKind::Flag, CtFocusAuto, CtFocusAbsolute, Widen::Signed16};
const ControlPair kExposure = {AutoKind::ExposureMode, CtAeMode, CtExposureTimeAbsolute,
                               Widen::Unsigned32};
const ControlPair kBacklight = {AutoKind::Ignored, PuBacklightCompensation, PuBacklightCompensation,
                                Widen::Signed16};
const ControlPair kGain = {AutoKind::Ignored, PuGain, PuGain, Widen::Signed16};
const ControlPair kWhiteBalance = {AutoKind::Flag, PuWhiteBalanceTemperatureAuto,
                                   PuWhiteBalanceTemperature, Widen::Signed16};
const ControlPair kBrightness = {AutoKind::Ignored, PuBrightness, PuBrightness, Widen::Signed16};
const ControlPair kContrast = {AutoKind::Flag, PuContrastAuto, PuContrast, Widen::Signed16};
const ControlPair kSaturation = {AutoKind::Ignored, PuSaturation, PuSaturation, Widen::Signed16};
const ControlPair kSharpness = {AutoKind::Ignored, PuSharpness, PuSharpness, Widen::Signed16};
const ControlPair kHue = {AutoKind::Flag, PuHueAuto, PuHue, Widen::Signed16};

// Reads the pair's auto control (if any) and then its value; the outputs
// are written only when both reads succeeded.
int readPair(ControlPort& device, const ControlPair& pair, bool* autoOut, int& valueOut)
{
    bool autoOn = false;
    if (pair.autoKind != AutoKind::Ignored) {
        UvcUTCtrlRequest autoByte;
        if (!readControl(device, pair.autoControl, autoByte))
            return -1;
        autoOn = pair.autoKind == AutoKind::Flag
                     ? autoByte.bytes[0] != 0
                     : autoByte.bytes[0] == kAeModeAuto || autoByte.bytes[0] == kAeModeAperturePriority;
    }
    UvcUTCtrlRequest value;
    if (!readControl(device, pair.valueControl, value))
        return -1;
    if (autoOut)
        *autoOut = autoOn;
    valueOut = int(widen(value.bytes, pair.widen));
    return 0;
}

int writeValue(ControlPort& device, UvcCtrlSelectorType type, int value)
{
    return writeControl(device, type, value) ? 0 : -1;
}

// Writes the auto control (if any) and, unless auto was chosen, the value.
int writePair(ControlPort& device, const ControlPair& pair, bool autoOn, int value)
{
    if (pair.autoKind == AutoKind::Ignored)
        return writeValue(device, pair.valueControl, value);
    const uint8_t autoByte = pair.autoKind == AutoKind::Flag ? uint8_t(autoOn ? 1 : 0)
                             : autoOn                         ? kAeModeAuto
                                                              : kAeModeManual;
    if (!writeControl(device, pair.autoControl, autoByte))
        return -1;
    if (autoOn)
        return 0;
    return writeValue(device, pair.valueControl, value);
}

struct RangeControl
{
    const char* name;
    UvcCtrlSelectorType type;
    Widen widen;
};

const RangeControl kFocusRange = {"uvcFocusRangeAbsGet", CtFocusAbsolute, Widen::Unsigned16};
const RangeControl kExposureRange = {"uvcExposureRangeAbsGet", CtExposureTimeAbsolute,
                                     Widen::Unsigned32};
const RangeControl kBacklightRange = {"uvcBacklightCompensationControlRangeGet",
                                      PuBacklightCompensation, Widen::Unsigned16};
const RangeControl kGainRange = {"uvcGainControlRangeGet", PuGain, Widen::Unsigned16};
const RangeControl kWhiteBalanceRange = {"uvcWhiteBalanceColorTemperatureControlRangeGet",
                                         PuWhiteBalanceTemperature, Widen::Unsigned16};
const RangeControl kContrastRange = {"uvcContrastControlRangeGet", PuContrast, Widen::Unsigned16};
const RangeControl kSaturationRange = {"uvcSaturationControlRangeGet", PuSaturation,
                                       Widen::Unsigned16};
const RangeControl kSharpnessRange = {"uvcSharpnessControlRangeGet", PuSharpness, Widen::Unsigned16};
const RangeControl kHueRange = {"uvcHueControlRangeGet", PuHue, Widen::Signed16};

int readRange(StandardControls& controls, const RangeControl& row,
              StandardControls::CameraParamRange& range)
{
    UvcUTCtrlRequest min, max, res, def;
    if (!controls.getLowHighValueStepSizeDefaultValueForControl(&min, &max, &res, &def, row.type))
        return -1;
    range.min = widen(min.bytes, row.widen);
    range.max = widen(max.bytes, row.widen);
    range.step = widen(res.bytes, row.widen);
    range.def = widen(def.bytes, row.widen);
    qDebug().noquote() << QString::fromLatin1(row.name) + QStringLiteral(" range:") << range.min
                       << range.max << range.step << range.def;
    return 0;
}

// One axis of a relative move: direction byte and speed byte. The product
// stays within -255 .. 255 since the top speed is one byte, so the sign is
// never lost to an 8-bit wrap.
void relativeAxis(double value, int64_t speedMax, uint8_t* out)
{
    const double v = std::isnan(value) ? 0.0 : qBound(-1.0, value, 1.0);
    const int64_t s = int64_t(double(speedMax) * v);
    out[0] = s > 0 ? 0x01 : s < 0 ? 0xFF : 0x00;
    out[1] = uint8_t(std::min<int64_t>(std::llabs(s), 255));
}

int32_t scaledPosition(int64_t value, int64_t low, int64_t high)
{
    const int64_t limited = std::max(std::min(value, high), low);
    const int64_t scaled = limited * 3600;
    return int32_t(qBound<int64_t>(std::numeric_limits<int32_t>::min(), scaled,
                                   std::numeric_limits<int32_t>::max()));
}

} // namespace

StandardControls::StandardControls(ControlPort& control) : control_(control) {}

bool StandardControls::validControl(UvcCtrlSelectorType type) const
{
    if (type >= 0 && type < UvcCtrlSelectorCount)
        return true;
    qWarning() << "No such standard control:" << int(type);
    return false;
}

bool StandardControls::controlIsAvailable(UvcCtrlSelectorType type) const
{
    if (type < 0 || type >= UvcCtrlSelectorCount)
        return false;
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    const VideoControlUnits units = control_.units();
    const QByteArray& bitmap = info.unit == UvcUnitKind::CameraTerminal
                                   ? units.cameraTerminalControls
                                   : units.processingUnitControls;
    if (bitmap.isEmpty())
        return true;  // nothing announced: every control counts as there
    const int byte = info.bmControlsBit / 8;
    if (byte >= bitmap.size())
        return false;
    return (uint8_t(bitmap[byte]) >> (info.bmControlsBit % 8)) & 1;
}

bool StandardControls::capabilitiesForControl(uint8_t* capabilities, UvcCtrlSelectorType type)
{
    if (!validControl(type))
        return false;
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    return control_.controlRequest(UvcRequest::GetInfo, info.unit, capabilities, 1, info.selector,
                                   control_.unitIdFor(info.unit))
           == 1;
}

bool StandardControls::getLowHighValueStepSizeDefaultValueForControl(UvcUTCtrlRequest* min,
                                                              UvcUTCtrlRequest* max,
                                                              UvcUTCtrlRequest* res,
                                                              UvcUTCtrlRequest* def,
                                                              UvcCtrlSelectorType type)
{
    if (!validControl(type))
        return false;
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    const uint8_t unitId = control_.unitIdFor(info.unit);
    auto read = [&](UvcRequest request, UvcUTCtrlRequest* value) {
        return control_.controlRequest(request, info.unit, value->bytes, info.length, info.selector,
                                       unitId)
               == info.length;
    };
    bool ok = true;
    if (min && max)
        ok = read(UvcRequest::GetMin, min) && read(UvcRequest::GetMax, max);
    if (res)
        ok = read(UvcRequest::GetRes, res) && ok;
    if (def)
        ok = read(UvcRequest::GetDef, def) && ok;
    return ok;
}

bool StandardControls::getValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
{
    if (!validControl(type) || !value)
        return false;
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    return control_.controlRequest(UvcRequest::GetCur, info.unit, value->bytes, info.length,
                                   info.selector, control_.unitIdFor(info.unit))
           > 0;
}

bool StandardControls::setValueForControl(UvcUTCtrlRequest* value, UvcCtrlSelectorType type)
{
    if (!validControl(type) || !value)
        return false;
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    return control_.controlRequest(UvcRequest::SetCur, info.unit, value->bytes, info.length,
                                   info.selector, control_.unitIdFor(info.unit))
           > 0;
}

int StandardControls::uvcFocusGet(bool& autoFocus, int& value)
{
    return readPair(control_, kFocus, &autoFocus, value);
}

int StandardControls::uvcExposureGet(bool& autoExposure, int& value)
{
    return readPair(control_, kExposure, &autoExposure, value);
}

int StandardControls::uvcBacklightCompensationControlGet(bool& autoOn, int& value)
{
    return readPair(control_, kBacklight, &autoOn, value);
}

int StandardControls::uvcGainControlGet(bool& autoOn, int& value)
{
    return readPair(control_, kGain, &autoOn, value);
}

int StandardControls::uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value)
{
    return readPair(control_, kWhiteBalance, &autoWb, value);
}

int StandardControls::uvcBrightnessControlGet(int& value)
{
    return readPair(control_, kBrightness, nullptr, value);
}

int StandardControls::uvcContrastControlGet(bool& autoOn, int& value)
{
    return readPair(control_, kContrast, &autoOn, value);
}

int StandardControls::uvcSaturationControlGet(int& value)
{
    return readPair(control_, kSaturation, nullptr, value);
}

int StandardControls::uvcSharpnessControlGet(int& value)
{
    return readPair(control_, kSharpness, nullptr, value);
}

int StandardControls::uvcHueControlGet(bool& autoOn, int& value)
{
    return readPair(control_, kHue, &autoOn, value);
}

int StandardControls::uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt)
{
    UvcUTCtrlRequest value;
    if (!readControl(control_, CtPanTiltAbsolute, value))
        return -1;
    pan = int32_t(widen(value.bytes, Widen::Signed32));
    tilt = int32_t(widen(value.bytes + 4, Widen::Signed32));
    return 0;
}

int StandardControls::uvcFocusSet(bool autoFocus, int value)
{
    return writePair(control_, kFocus, autoFocus, value);
}

int StandardControls::uvcExposureSet(bool autoExposure, int value)
{
    return writePair(control_, kExposure, autoExposure, value);
}

int StandardControls::uvcBacklightCompensationControlSet(int value)
{
    return writeValue(control_, PuBacklightCompensation, value);
}

int StandardControls::uvcGainControlSet(int value)
{
    return writeValue(control_, PuGain, value);
}

int StandardControls::uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value)
{
    return writePair(control_, kWhiteBalance, autoWb, value);
}

int StandardControls::uvcContrastControlSet(int value)
{
    // Only the value: the contrast auto control is read, never written.
    return writeValue(control_, PuContrast, value);
}

int StandardControls::uvcSaturationControlSet(int value)
{
    return writeValue(control_, PuSaturation, value);
}

int StandardControls::uvcSharpnessControlSet(int value)
{
    return writeValue(control_, PuSharpness, value);
}

int StandardControls::uvcHueControlSet(int value)
{
    return writeValue(control_, PuHue, value);
}

int StandardControls::uvcFocusRangeAbsGet(CameraParamRange& range)
{
    return readRange(*this, kFocusRange, range);
}

int StandardControls::uvcExposureRangeAbsGet(CameraParamRange& range)
{
    return readRange(*this, kExposureRange, range);
}

int StandardControls::uvcBacklightCompensationControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kBacklightRange, range);
}

int StandardControls::uvcGainControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kGainRange, range);
}

int StandardControls::uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kWhiteBalanceRange, range);
}

int StandardControls::uvcContrastControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kContrastRange, range);
}

int StandardControls::uvcSaturationControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kSaturationRange, range);
}

int StandardControls::uvcSharpnessControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kSharpnessRange, range);
}

int StandardControls::uvcHueControlRangeGet(CameraParamRange& range)
{
    return readRange(*this, kHueRange, range);
}

StandardControls::PanTiltRanges StandardControls::panTiltRanges() const
{
    QMutexLocker lock(&panTiltMutex_);
    return panTilt_;
}

bool StandardControls::uvcPanTiltRangeAbsGet()
{
    UvcUTCtrlRequest min, max;
    if (!getLowHighValueStepSizeDefaultValueForControl(&min, &max, nullptr, nullptr, CtPanTiltAbsolute))
        return false;
    QMutexLocker lock(&panTiltMutex_);
    panTilt_.panMin = widen(min.bytes, Widen::Signed32);
    panTilt_.tiltMin = widen(min.bytes + 4, Widen::Signed32);
    panTilt_.panMax = widen(max.bytes, Widen::Signed32);
    panTilt_.tiltMax = widen(max.bytes + 4, Widen::Signed32);
    qDebug() << "pan_abs_range:" << panTilt_.panMin << panTilt_.panMax
             << "tilt_abs_range:" << panTilt_.tiltMin << panTilt_.tiltMax;
    return true;
}

bool StandardControls::uvcPanTiltRangeRelGet()
{
    UvcUTCtrlRequest min, max;
    if (!getLowHighValueStepSizeDefaultValueForControl(&min, &max, nullptr, nullptr, CtPanTiltRelative))
        return false;
    QMutexLocker lock(&panTiltMutex_);
    panTilt_.panSpeedMin = min.bytes[1];
    panTilt_.tiltSpeedMin = min.bytes[3];
    panTilt_.panSpeedMax = max.bytes[1];
    panTilt_.tiltSpeedMax = max.bytes[3];
    qDebug() << "pan_rel_range:" << panTilt_.panSpeedMin << panTilt_.panSpeedMax
             << "tilt_rel_range:" << panTilt_.tiltSpeedMin << panTilt_.tiltSpeedMax;
    return true;
}

int StandardControls::uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt)
{
    PanTiltRanges ranges = panTiltRanges();
    if (ranges.panMax == 0 || ranges.tiltMax == 0) {
        if (!uvcPanTiltRangeAbsGet()) {
            qCritical() << "uvcPanTiltRangeAbsGet failed";
            return -1;
        }
        ranges = panTiltRanges();
    }
    const int64_t panValue = scaledPosition(pan, ranges.panMin, ranges.panMax);
    const int64_t tiltValue = scaledPosition(tilt, ranges.tiltMin, ranges.tiltMax);
    return writeControl(control_, CtPanTiltAbsolute, (uint64_t(uint32_t(tiltValue)) << 32) | uint32_t(panValue))
               ? 0
               : -1;
}

int StandardControls::uvcPanTiltRelativeControl(double pan, double tilt)
{
    PanTiltRanges ranges = panTiltRanges();
    if (ranges.panSpeedMax == 0 || ranges.tiltSpeedMax == 0) {
        if (!uvcPanTiltRangeRelGet()) {
            qCritical() << "uvcPanTiltRangeRelGet failed";
            return -1;
        }
        ranges = panTiltRanges();
    }
    uint8_t bytes[4];
    relativeAxis(pan, ranges.panSpeedMax, bytes);
    relativeAxis(tilt, ranges.tiltSpeedMax, bytes + 2);
    return writeControl(control_, CtPanTiltRelative, qFromLittleEndian<quint32>(bytes)) ? 0 : -1;
}

} // namespace pc
} // namespace vesk
