#pragma once

// The standard controls' getters, setters and range readers as tables, by
// name, for the camera object and for its controls part alike.

#include "support/SimControlEdits.h"
#include "uvc/StandardControls.h"
#include "uvc/UvcDevice.h"

#include <QHash>
#include <QStringList>

#include <functional>

inline vesk::pc::SimCameraModel modelWith(const QString& changes)
{
    return withControls(vesk::pc::SimCameraModel(), changes);
}

inline QStringList lines(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1String("; "), Qt::SkipEmptyParts);
}

inline const int kUntouched = 12345;

template <class Target>
using Getter = std::function<int(Target&, bool&, int&)>;
template <class Target>
using Setter = std::function<int(Target&, bool, int)>;
template <class Target>
using RangeReader = std::function<int(Target&, typename Target::CameraParamRange&)>;

// The two setters whose flag the camera object takes and ignores.
inline int setBacklight(vesk::pc::UvcDevice& d, bool a, int v) { return d.uvcBacklightCompensationControlSet(a, v); }
inline int setBacklight(vesk::pc::StandardControls& d, bool, int v) { return d.uvcBacklightCompensationControlSet(v); }
inline int setGain(vesk::pc::UvcDevice& d, bool a, int v) { return d.uvcGainControlSet(a, v); }
inline int setGain(vesk::pc::StandardControls& d, bool, int v) { return d.uvcGainControlSet(v); }

template <class Target>
const QHash<QString, Getter<Target>>& getterTable()
{
    static const QHash<QString, Getter<Target>> table = {
        {"focus", [](Target& d, bool& a, int& v) { return d.uvcFocusGet(a, v); }},
        {"exposure", [](Target& d, bool& a, int& v) { return d.uvcExposureGet(a, v); }},
        {"backlight", [](Target& d, bool& a, int& v) { return d.uvcBacklightCompensationControlGet(a, v); }},
        {"gain", [](Target& d, bool& a, int& v) { return d.uvcGainControlGet(a, v); }},
        {"white balance", [](Target& d, bool& a, int& v) { return d.uvcWhiteBalanceTemperatureControlGet(a, v); }},
        {"brightness", [](Target& d, bool&, int& v) { return d.uvcBrightnessControlGet(v); }},
        {"contrast", [](Target& d, bool& a, int& v) { return d.uvcContrastControlGet(a, v); }},
        {"saturation", [](Target& d, bool&, int& v) { return d.uvcSaturationControlGet(v); }},
        {"sharpness", [](Target& d, bool&, int& v) { return d.uvcSharpnessControlGet(v); }},
        {"hue", [](Target& d, bool& a, int& v) { return d.uvcHueControlGet(a, v); }},
    };
    return table;
}

template <class Target>
const QHash<QString, Setter<Target>>& setterTable()
{
    static const QHash<QString, Setter<Target>> table = {
        {"focus", [](Target& d, bool a, int v) { return d.uvcFocusSet(a, v); }},
        {"exposure", [](Target& d, bool a, int v) { return d.uvcExposureSet(a, v); }},
        {"backlight", [](Target& d, bool a, int v) { return setBacklight(d, a, v); }},
        {"gain", [](Target& d, bool a, int v) { return setGain(d, a, v); }},
        {"white balance", [](Target& d, bool a, int v) { return d.uvcWhiteBalanceTemperatureControlSet(a, v); }},
        {"contrast", [](Target& d, bool, int v) { return d.uvcContrastControlSet(v); }},
        {"saturation", [](Target& d, bool, int v) { return d.uvcSaturationControlSet(v); }},
        {"sharpness", [](Target& d, bool, int v) { return d.uvcSharpnessControlSet(v); }},
        {"hue", [](Target& d, bool, int v) { return d.uvcHueControlSet(v); }},
    };
    return table;
}

template <class Target>
const QHash<QString, RangeReader<Target>>& rangeReaderTable()
{
    static const QHash<QString, RangeReader<Target>> table = {
        {"uvcFocusRangeAbsGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcFocusRangeAbsGet(r); }},
        {"uvcExposureRangeAbsGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcExposureRangeAbsGet(r); }},
        {"uvcBacklightCompensationControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcBacklightCompensationControlRangeGet(r); }},
        {"uvcGainControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcGainControlRangeGet(r); }},
        {"uvcWhiteBalanceColorTemperatureControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcWhiteBalanceColorTemperatureControlRangeGet(r); }},
        {"uvcContrastControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcContrastControlRangeGet(r); }},
        {"uvcSaturationControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcSaturationControlRangeGet(r); }},
        {"uvcSharpnessControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcSharpnessControlRangeGet(r); }},
        {"uvcHueControlRangeGet", [](Target& d, typename Target::CameraParamRange& r) { return d.uvcHueControlRangeGet(r); }},
    };
    return table;
}
