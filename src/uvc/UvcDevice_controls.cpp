// The standard UVC controls of the camera terminal and processing unit:
// getters, setters, range readers and pan/tilt. Each control pair or range is
// a table row; the code that walks them is written once.

#include "uvc/UvcDevice.h"

#include "uvc/UvcCommand.h"

#include <QDebug>
#include <QMutexLocker>

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
    const uint32_t low16 = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
    const uint32_t low32 = low16 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    switch (how) {
    case Widen::Signed16: return int16_t(uint16_t(low16));
    case Widen::Unsigned16: return low16;
    case Widen::Unsigned32: return low32;
    case Widen::Signed32: return int32_t(low32);
    }
    return 0;
}

// One request that must move exactly the control's length.
bool readControl(UvcDevice& device, UvcCtrlSelectorType type, UvcUTCtrlRequest& value)
{
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    return device.getDataByTypeLengthSelectorUnitId(value.bytes, int(UvcRequest::GetCur), info.length,
                                                    info.selector, info.unit, device.unitIdFor(info.unit))
           == info.length;
}

bool writeControl(UvcDevice& device, UvcCtrlSelectorType type, int64_t value)
{
    const UvcCtrlInfo& info = kUvcCtrlTable[type];
    UvcUTCtrlRequest request;
    for (int i = 0; i < info.length && i < 8; ++i)
        request.bytes[i] = uint8_t(uint64_t(value) >> (8 * i));
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
int readPair(UvcDevice& device, const ControlPair& pair, bool* autoOut, int& valueOut)
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

int writeValue(UvcDevice& device, UvcCtrlSelectorType type, int value)
{
    return writeControl(device, type, value) ? 0 : -1;
}

// Writes the auto control (if any) and, unless auto was chosen, the value.
int writePair(UvcDevice& device, const ControlPair& pair, bool autoOn, int value)
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

int readRange(UvcDevice& device, const RangeControl& row, UvcDevice::CameraParamRange& range)
{
    UvcUTCtrlRequest min, max, res, def;
    if (!device.getLowHighValueStepSizeDefaultValueForControl(&min, &max, &res, &def, row.type))
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

// Every method here is a direct transfer.
bool allowed(const UvcDevice& device)
{
    return UvcCommand::allowed(device, "INUS");
}

} // namespace

int UvcDevice::uvcFocusGet(bool& autoFocus, int& value)
{
    return allowed(*this) ? readPair(*this, kFocus, &autoFocus, value) : -1;
}

int UvcDevice::uvcExposureGet(bool& autoExposure, int& value)
{
    return allowed(*this) ? readPair(*this, kExposure, &autoExposure, value) : -1;
}

int UvcDevice::uvcBacklightCompensationControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? readPair(*this, kBacklight, &autoOn, value) : -1;
}

int UvcDevice::uvcGainControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? readPair(*this, kGain, &autoOn, value) : -1;
}

int UvcDevice::uvcWhiteBalanceTemperatureControlGet(bool& autoWb, int& value)
{
    return allowed(*this) ? readPair(*this, kWhiteBalance, &autoWb, value) : -1;
}

int UvcDevice::uvcBrightnessControlGet(int& value)
{
    return allowed(*this) ? readPair(*this, kBrightness, nullptr, value) : -1;
}

int UvcDevice::uvcContrastControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? readPair(*this, kContrast, &autoOn, value) : -1;
}

int UvcDevice::uvcSaturationControlGet(int& value)
{
    return allowed(*this) ? readPair(*this, kSaturation, nullptr, value) : -1;
}

int UvcDevice::uvcSharpnessControlGet(int& value)
{
    return allowed(*this) ? readPair(*this, kSharpness, nullptr, value) : -1;
}

int UvcDevice::uvcHueControlGet(bool& autoOn, int& value)
{
    return allowed(*this) ? readPair(*this, kHue, &autoOn, value) : -1;
}

int UvcDevice::uvcPanTiltAbsoluteControlGet(int32_t& pan, int32_t& tilt)
{
    if (!allowed(*this))
        return -1;
    UvcUTCtrlRequest value;
    if (!readControl(*this, CtPanTiltAbsolute, value))
        return -1;
    pan = int32_t(widen(value.bytes, Widen::Signed32));
    tilt = int32_t(widen(value.bytes + 4, Widen::Signed32));
    return 0;
}

int UvcDevice::uvcFocusSet(bool autoFocus, int value)
{
    return allowed(*this) ? writePair(*this, kFocus, autoFocus, value) : -1;
}

int UvcDevice::uvcExposureSet(bool autoExposure, int value)
{
    return allowed(*this) ? writePair(*this, kExposure, autoExposure, value) : -1;
}

int UvcDevice::uvcBacklightCompensationControlSet(bool, int value)
{
    return allowed(*this) ? writeValue(*this, PuBacklightCompensation, value) : -1;
}

int UvcDevice::uvcGainControlSet(bool, int value)
{
    return allowed(*this) ? writeValue(*this, PuGain, value) : -1;
}

int UvcDevice::uvcWhiteBalanceTemperatureControlSet(bool autoWb, int value)
{
    return allowed(*this) ? writePair(*this, kWhiteBalance, autoWb, value) : -1;
}

int UvcDevice::uvcContrastControlSet(int value)
{
    // Only the value: the contrast auto control is read, never written.
    return allowed(*this) ? writeValue(*this, PuContrast, value) : -1;
}

int UvcDevice::uvcSaturationControlSet(int value)
{
    return allowed(*this) ? writeValue(*this, PuSaturation, value) : -1;
}

int UvcDevice::uvcSharpnessControlSet(int value)
{
    return allowed(*this) ? writeValue(*this, PuSharpness, value) : -1;
}

int UvcDevice::uvcHueControlSet(int value)
{
    return allowed(*this) ? writeValue(*this, PuHue, value) : -1;
}

int UvcDevice::uvcFocusRangeAbsGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kFocusRange, range) : -1;
}

int UvcDevice::uvcExposureRangeAbsGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kExposureRange, range) : -1;
}

int UvcDevice::uvcBacklightCompensationControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kBacklightRange, range) : -1;
}

int UvcDevice::uvcGainControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kGainRange, range) : -1;
}

int UvcDevice::uvcWhiteBalanceColorTemperatureControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kWhiteBalanceRange, range) : -1;
}

int UvcDevice::uvcContrastControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kContrastRange, range) : -1;
}

int UvcDevice::uvcSaturationControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kSaturationRange, range) : -1;
}

int UvcDevice::uvcSharpnessControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kSharpnessRange, range) : -1;
}

int UvcDevice::uvcHueControlRangeGet(CameraParamRange& range)
{
    return allowed(*this) ? readRange(*this, kHueRange, range) : -1;
}

UvcDevice::PanTiltRanges UvcDevice::panTiltRanges() const
{
    QMutexLocker lock(&panTiltMutex_);
    return panTilt_;
}

bool UvcDevice::uvcPanTiltRangeAbsGet()
{
    if (!allowed(*this))
        return false;
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

bool UvcDevice::uvcPanTiltRangeRelGet()
{
    if (!allowed(*this))
        return false;
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

int UvcDevice::uvcPanTiltAbsoluteControl(int32_t pan, int32_t tilt)
{
    if (!allowed(*this))
        return -1;
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
    return writeControl(*this, CtPanTiltAbsolute, (uint64_t(uint32_t(tiltValue)) << 32) | uint32_t(panValue))
               ? 0
               : -1;
}

int UvcDevice::uvcPanTiltRelativeControl(double pan, double tilt)
{
    if (!allowed(*this))
        return -1;
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
    return writeControl(*this, CtPanTiltRelative,
                        int64_t(bytes[0]) | int64_t(bytes[1]) << 8 | int64_t(bytes[2]) << 16
                            | int64_t(bytes[3]) << 24)
               ? 0
               : -1;
}

} // namespace pc
} // namespace vesk
