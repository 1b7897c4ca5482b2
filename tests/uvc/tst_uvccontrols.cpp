// The standard UVC controls against a simulated camera: each getter, setter
// and range reader with its bytes on the wire, signed hue, the exposure
// modes, pan/tilt with its cached ranges, short replies and the guards.

#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace vesk::pc;

namespace {

SimCameraModel specWith(const QString& changes)
{
    return withControls(SimCameraModel(), changes);
}

QStringList lines(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1String("; "), Qt::SkipEmptyParts);
}

const int kUntouched = 12345;

using Getter = std::function<int(UvcDevice&, bool&, int&)>;
using Setter = std::function<int(UvcDevice&, bool, int)>;
using RangeReader = std::function<int(UvcDevice&, UvcDevice::CameraParamRange&)>;

const QHash<QString, Getter>& getterTable()
{
    static const QHash<QString, Getter> table = {
        {"focus", [](UvcDevice& d, bool& a, int& v) { return d.uvcFocusGet(a, v); }},
        {"exposure", [](UvcDevice& d, bool& a, int& v) { return d.uvcExposureGet(a, v); }},
        {"backlight", [](UvcDevice& d, bool& a, int& v) { return d.uvcBacklightCompensationControlGet(a, v); }},
        {"gain", [](UvcDevice& d, bool& a, int& v) { return d.uvcGainControlGet(a, v); }},
        {"white balance", [](UvcDevice& d, bool& a, int& v) { return d.uvcWhiteBalanceTemperatureControlGet(a, v); }},
        {"brightness", [](UvcDevice& d, bool&, int& v) { return d.uvcBrightnessControlGet(v); }},
        {"contrast", [](UvcDevice& d, bool& a, int& v) { return d.uvcContrastControlGet(a, v); }},
        {"saturation", [](UvcDevice& d, bool&, int& v) { return d.uvcSaturationControlGet(v); }},
        {"sharpness", [](UvcDevice& d, bool&, int& v) { return d.uvcSharpnessControlGet(v); }},
        {"hue", [](UvcDevice& d, bool& a, int& v) { return d.uvcHueControlGet(a, v); }},
    };
    return table;
}

const QHash<QString, Setter>& setterTable()
{
    static const QHash<QString, Setter> table = {
        {"focus", [](UvcDevice& d, bool a, int v) { return d.uvcFocusSet(a, v); }},
        {"exposure", [](UvcDevice& d, bool a, int v) { return d.uvcExposureSet(a, v); }},
        {"backlight", [](UvcDevice& d, bool a, int v) { return d.uvcBacklightCompensationControlSet(a, v); }},
        {"gain", [](UvcDevice& d, bool a, int v) { return d.uvcGainControlSet(a, v); }},
        {"white balance", [](UvcDevice& d, bool a, int v) { return d.uvcWhiteBalanceTemperatureControlSet(a, v); }},
        {"contrast", [](UvcDevice& d, bool, int v) { return d.uvcContrastControlSet(v); }},
        {"saturation", [](UvcDevice& d, bool, int v) { return d.uvcSaturationControlSet(v); }},
        {"sharpness", [](UvcDevice& d, bool, int v) { return d.uvcSharpnessControlSet(v); }},
        {"hue", [](UvcDevice& d, bool, int v) { return d.uvcHueControlSet(v); }},
    };
    return table;
}

const QHash<QString, RangeReader>& rangeReaderTable()
{
    static const QHash<QString, RangeReader> table = {
        {"uvcFocusRangeAbsGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcFocusRangeAbsGet(r); }},
        {"uvcExposureRangeAbsGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcExposureRangeAbsGet(r); }},
        {"uvcBacklightCompensationControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcBacklightCompensationControlRangeGet(r); }},
        {"uvcGainControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcGainControlRangeGet(r); }},
        {"uvcWhiteBalanceColorTemperatureControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcWhiteBalanceColorTemperatureControlRangeGet(r); }},
        {"uvcContrastControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcContrastControlRangeGet(r); }},
        {"uvcSaturationControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcSaturationControlRangeGet(r); }},
        {"uvcSharpnessControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcSharpnessControlRangeGet(r); }},
        {"uvcHueControlRangeGet", [](UvcDevice& d, UvcDevice::CameraParamRange& r) { return d.uvcHueControlRangeGet(r); }},
    };
    return table;
}

// Every method of the area, for the guard tests; each returns its result as int.
QList<std::function<int(UvcDevice&)>> everyMethod()
{
    QList<std::function<int(UvcDevice&)>> all;
    for (const Getter& get : getterTable())
        all << [get](UvcDevice& d) { bool a = false; int v = 0; return get(d, a, v); };
    for (const Setter& set : setterTable())
        all << [set](UvcDevice& d) { return set(d, false, 1); };
    for (const RangeReader& read : rangeReaderTable())
        all << [read](UvcDevice& d) { UvcDevice::CameraParamRange r; return read(d, r); };
    all << [](UvcDevice& d) { int32_t p = 0, t = 0; return d.uvcPanTiltAbsoluteControlGet(p, t); };
    all << [](UvcDevice& d) { return d.uvcPanTiltRangeAbsGet() ? 0 : -1; };
    all << [](UvcDevice& d) { return d.uvcPanTiltRangeRelGet() ? 0 : -1; };
    all << [](UvcDevice& d) { return d.uvcPanTiltAbsoluteControl(1, 1); };
    all << [](UvcDevice& d) { return d.uvcPanTiltRelativeControl(0.5, 0.5); };
    return all;
}

} // namespace

class tst_UvcControls : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void getters_data();
    void getters();
    void panTiltAbsoluteGet_data();
    void panTiltAbsoluteGet();
    void setters_data();
    void setters();
    void ranges_data();
    void ranges();
    void rangeReadOnTheWire();
    void panTiltMoves_data();
    void panTiltMoves();
    void panTiltRangesAreCached();
    void panTiltRangeFailures();
    void guards_data();
    void guards();
};

void tst_UvcControls::getters_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("autoOn");
    QTest::addColumn<int>("value");
    QTest::addColumn<QStringList>("wire");

    QTest::newRow("focus auto") << "focus" << "CT:08=01 CT:06=feff" << 0 << true << -2
        << lines("GET_CUR CT:08/1 01; GET_CUR CT:06/2 feff");
    QTest::newRow("focus manual") << "focus" << "CT:08=00 CT:06=ff01" << 0 << false << 511
        << lines("GET_CUR CT:08/1 00; GET_CUR CT:06/2 ff01");
    QTest::newRow("exposure mode 2 auto") << "exposure" << "CT:02=02 CT:04=2c010000" << 0 << true << 300
        << lines("GET_CUR CT:02/1 02; GET_CUR CT:04/4 2c010000");
    QTest::newRow("exposure mode 8 aperture priority") << "exposure" << "CT:02=08 CT:04=9c000000"
        << 0 << true << 156 << lines("GET_CUR CT:02/1 08; GET_CUR CT:04/4 9c000000");
    QTest::newRow("exposure mode 1 manual") << "exposure" << "CT:02=01 CT:04=2c010000" << 0 << false
        << 300 << lines("GET_CUR CT:02/1 01; GET_CUR CT:04/4 2c010000");
    QTest::newRow("exposure mode 4 shutter priority") << "exposure" << "CT:02=04 CT:04=03000000"
        << 0 << false << 3 << lines("GET_CUR CT:02/1 04; GET_CUR CT:04/4 03000000");
    QTest::newRow("backlight auto is always false") << "backlight" << "PU:01=0200" << 0 << false << 2
        << lines("GET_CUR PU:01/2 0200");
    QTest::newRow("gain signed") << "gain" << "PU:04=ffff" << 0 << false << -1
        << lines("GET_CUR PU:04/2 ffff");
    QTest::newRow("white balance manual") << "white balance" << "PU:0B=00 PU:0A=1c0c" << 0 << false
        << 3100 << lines("GET_CUR PU:0B/1 00; GET_CUR PU:0A/2 1c0c");
    QTest::newRow("brightness lowest") << "brightness" << "PU:02=0080" << 0 << false << -32768
        << lines("GET_CUR PU:02/2 0080");
    QTest::newRow("contrast auto") << "contrast" << "PU:13=01 PU:03=3200" << 0 << true << 50
        << lines("GET_CUR PU:13/1 01; GET_CUR PU:03/2 3200");
    QTest::newRow("saturation") << "saturation" << "PU:07=6400" << 0 << false << 100
        << lines("GET_CUR PU:07/2 6400");
    QTest::newRow("sharpness") << "sharpness" << "PU:08=0000" << 0 << false << 0
        << lines("GET_CUR PU:08/2 0000");
    QTest::newRow("hue signed") << "hue" << "PU:10=00 PU:06=4cff" << 0 << false << -180
        << lines("GET_CUR PU:10/1 00; GET_CUR PU:06/2 4cff");

    // A value shorter than the control is an error, and the auto flag already
    // read is not written either.
    QTest::newRow("focus value one byte short") << "focus" << "CT:08=01 CT:06=01" << -1 << false
        << kUntouched << lines("GET_CUR CT:08/1 01; GET_CUR CT:06/2 01");
    QTest::newRow("exposure time three bytes") << "exposure" << "CT:02=02 CT:04=2c0100" << -1 << false
        << kUntouched << lines("GET_CUR CT:02/1 02; GET_CUR CT:04/4 2c0100");
    QTest::newRow("hue auto missing ends the read") << "hue" << "PU:10=-" << -1 << false << kUntouched
        << lines("GET_CUR PU:10/1");
}

void tst_UvcControls::getters()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(bool, autoOn);
    QFETCH(int, value);
    QFETCH(QStringList, wire);

    InitedCamera sim(specWith(camera));
    QVERIFY(sim.inited);
    const bool hasAuto = !QStringList{"brightness", "saturation", "sharpness"}.contains(method);
    bool gotAuto = result == 0 && hasAuto ? !autoOn : false;  // the getter must change it on success
    int gotValue = kUntouched;
    QCOMPARE(getterTable().value(method)(*sim.device, gotAuto, gotValue), result);
    QCOMPARE(gotAuto, autoOn);
    QCOMPARE(gotValue, value);
    QCOMPARE(sim.wire(), wire);
}

void tst_UvcControls::panTiltAbsoluteGet_data()
{
    QTest::addColumn<QString>("camera");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("pan");
    QTest::addColumn<int>("tilt");
    QTest::newRow("raw arc-seconds") << "CT:0D=201c0000e0e3ffff" << 0 << 7200 << -7200;
    QTest::newRow("seven bytes") << "CT:0D=201c0000e0e3ff" << -1 << kUntouched << kUntouched;
}

void tst_UvcControls::panTiltAbsoluteGet()
{
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(int, pan);
    QFETCH(int, tilt);
    InitedCamera sim(specWith(camera));
    int32_t gotPan = kUntouched, gotTilt = kUntouched;
    QCOMPARE(sim.device->uvcPanTiltAbsoluteControlGet(gotPan, gotTilt), result);
    QCOMPARE(gotPan, pan);
    QCOMPARE(gotTilt, tilt);
    QCOMPARE(sim.wire().size(), 1);
    QVERIFY(sim.wire().first().startsWith("GET_CUR CT:0D/8"));
}

void tst_UvcControls::setters_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<bool>("autoOn");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("wire");

    QTest::newRow("focus auto writes only the flag") << "focus" << "" << true << 300 << 0
        << lines("SET_CUR CT:08/1 01");
    QTest::newRow("focus manual") << "focus" << "" << false << 300 << 0
        << lines("SET_CUR CT:08/1 00; SET_CUR CT:06/2 2c01");
    QTest::newRow("exposure auto writes mode 2 only") << "exposure" << "" << true << 300 << 0
        << lines("SET_CUR CT:02/1 02");
    QTest::newRow("exposure manual 300") << "exposure" << "" << false << 300 << 0
        << lines("SET_CUR CT:02/1 01; SET_CUR CT:04/4 2c010000");
    QTest::newRow("backlight ignores the flag") << "backlight" << "" << true << 2 << 0
        << lines("SET_CUR PU:01/2 0200");
    QTest::newRow("gain takes the low bytes") << "gain" << "" << false << 70000 << 0
        << lines("SET_CUR PU:04/2 7011");
    QTest::newRow("white balance auto") << "white balance" << "" << true << 4600 << 0
        << lines("SET_CUR PU:0B/1 01");
    QTest::newRow("white balance manual") << "white balance" << "" << false << 4600 << 0
        << lines("SET_CUR PU:0B/1 00; SET_CUR PU:0A/2 f811");
    QTest::newRow("contrast") << "contrast" << "" << false << 50 << 0 << lines("SET_CUR PU:03/2 3200");
    QTest::newRow("saturation") << "saturation" << "" << false << 0 << 0 << lines("SET_CUR PU:07/2 0000");
    QTest::newRow("sharpness") << "sharpness" << "" << false << 100 << 0 << lines("SET_CUR PU:08/2 6400");
    QTest::newRow("hue negative") << "hue" << "" << false << -180 << 0 << lines("SET_CUR PU:06/2 4cff");

    QTest::newRow("missing focus auto ends the write") << "focus" << "CT:08=-" << false << 300 << -1
        << lines("SET_CUR CT:08/1 00");
    // A camera offering only manual and aperture priority stalls the auto mode.
    QTest::newRow("exposure auto not offered") << "exposure" << "CT:02.res=09" << true << 0 << -1
        << lines("SET_CUR CT:02/1 02");
    QTest::newRow("exposure manual offered") << "exposure" << "CT:02.res=09" << false << 1 << 0
        << lines("SET_CUR CT:02/1 01; SET_CUR CT:04/4 01000000");
    QTest::newRow("focus value taken in one byte only") << "focus" << "CT:06=00" << false << 300 << -1
        << lines("SET_CUR CT:08/1 00; SET_CUR CT:06/2 2c01");
}

void tst_UvcControls::setters()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(bool, autoOn);
    QFETCH(int, value);
    QFETCH(int, result);
    QFETCH(QStringList, wire);
    InitedCamera sim(specWith(camera));
    QVERIFY(sim.inited);
    QCOMPARE(setterTable().value(method)(*sim.device, autoOn, value), result);
    QCOMPARE(sim.wire(), wire);
}

void tst_UvcControls::ranges_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<int>("result");
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<qint64>("def");

    QTest::newRow("focus") << "uvcFocusRangeAbsGet" << "" << 0 << 0LL << 1023LL << 1LL << 0LL;
    QTest::newRow("exposure unsigned 32") << "uvcExposureRangeAbsGet" << "CT:04.max=ffffffff" << 0
        << 3LL << 4294967295LL << 1LL << 156LL;
    QTest::newRow("backlight") << "uvcBacklightCompensationControlRangeGet" << "" << 0 << 0LL << 2LL
        << 1LL << 1LL;
    QTest::newRow("gain") << "uvcGainControlRangeGet" << "" << 0 << 0LL << 100LL << 1LL << 0LL;
    QTest::newRow("white balance") << "uvcWhiteBalanceColorTemperatureControlRangeGet" << "" << 0
        << 2800LL << 6500LL << 100LL << 4600LL;
    QTest::newRow("contrast unsigned") << "uvcContrastControlRangeGet" << "PU:03.min=4cff" << 0
        << 65356LL << 100LL << 1LL << 50LL;
    QTest::newRow("saturation") << "uvcSaturationControlRangeGet" << "" << 0 << 0LL << 100LL << 1LL << 50LL;
    QTest::newRow("sharpness") << "uvcSharpnessControlRangeGet" << "" << 0 << 0LL << 100LL << 1LL << 50LL;
    QTest::newRow("hue signed") << "uvcHueControlRangeGet" << "PU:06.min=4cff" << 0 << -180LL << 180LL
        << 1LL << 0LL;
    QTest::newRow("short resolution") << "uvcSaturationControlRangeGet" << "PU:07.res=01" << -1 << 7LL
        << 7LL << 7LL << 7LL;
    QTest::newRow("short default") << "uvcHueControlRangeGet" << "PU:06.def=00" << -1 << 7LL << 7LL
        << 7LL << 7LL;
}

void tst_UvcControls::ranges()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(qint64, step);
    QFETCH(qint64, def);
    InitedCamera sim(specWith(camera));
    UvcDevice::CameraParamRange range{7, 7, 7, 7};
    QCOMPARE(rangeReaderTable().value(method)(*sim.device, range), result);
    QCOMPARE(range.min, min);
    QCOMPARE(range.max, max);
    QCOMPARE(range.step, step);
    QCOMPARE(range.def, def);
}

void tst_UvcControls::rangeReadOnTheWire()
{
    InitedCamera sim;
    UvcDevice::CameraParamRange range;
    QCOMPARE(sim.device->uvcHueControlRangeGet(range), 0);
    QCOMPARE(sim.wire(), lines("GET_MIN PU:06/2 4cff; GET_MAX PU:06/2 b400; GET_RES PU:06/2 0100; "
                               "GET_DEF PU:06/2 0000"));
}

void tst_UvcControls::panTiltMoves_data()
{
    QTest::addColumn<QString>("camera");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    QTest::addColumn<QString>("sent");

    // The simulated camera's range is pan -10 .. 10, tilt -5 .. 5.
    QTest::newRow("absolute inside the range") << "" << false << 2.0 << -2.0
        << "SET_CUR CT:0D/8 201c0000e0e3ffff";
    QTest::newRow("absolute clamped before scaling") << "" << false << 20.0 << -9.0
        << "SET_CUR CT:0D/8 a08c0000b0b9ffff";
    QTest::newRow("absolute centre") << "" << false << 0.0 << 0.0 << "SET_CUR CT:0D/8 0000000000000000";
    QTest::newRow("absolute extremes of int32") << "" << false << 2147483647.0 << -2147483648.0
        << "SET_CUR CT:0D/8 a08c0000b0b9ffff";
    // 700000 × 3600 does not fit 32 bits: the scaled value is clamped, not wrapped.
    QTest::newRow("absolute scaled past 32 bits")
        << "CT:0D.min=c0bdf0ffc0bdf0ff CT:0D.max=40420f0040420f00" << false << 700000.0 << -700000.0
        << "SET_CUR CT:0D/8 ffffff7f00000080";

    // The simulated camera's top speeds are 20 (pan) and 10 (tilt).
    QTest::newRow("relative left, half up") << "" << true << -1.0 << 0.5 << "SET_CUR CT:0E/4 ff140105";
    QTest::newRow("relative stop") << "" << true << 0.0 << 0.0 << "SET_CUR CT:0E/4 00000000";
    QTest::newRow("relative beyond 1.0 acts as 1.0") << "" << true << 3.0 << -3.0
        << "SET_CUR CT:0E/4 0114ff0a";
    QTest::newRow("relative truncated toward zero") << "" << true << 0.04 << -0.09
        << "SET_CUR CT:0E/4 00000000";
    QTest::newRow("relative not a number stops") << "" << true << std::nan("") << 1.0
        << "SET_CUR CT:0E/4 0000010a";
    // Speeds above 127 keep their sign: no 8-bit wrap into the other direction.
    QTest::newRow("relative top speed 200") << "CT:0E.max=01c801c8" << true << 1.0 << -1.0
        << "SET_CUR CT:0E/4 01c8ffc8";
    QTest::newRow("relative top speed 255") << "CT:0E.max=01ff01ff" << true << -1.0 << 0.75
        << "SET_CUR CT:0E/4 ffff01bf";
}

// The first move reads the range (GET_MIN, GET_MAX), then sets the control.
void tst_UvcControls::panTiltMoves()
{
    QFETCH(QString, camera);
    QFETCH(bool, relative);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    QFETCH(QString, sent);
    InitedCamera sim(specWith(camera));
    const int result = relative ? sim.device->uvcPanTiltRelativeControl(pan, tilt)
                                : sim.device->uvcPanTiltAbsoluteControl(int32_t(pan), int32_t(tilt));
    QCOMPARE(result, 0);
    const QString control = relative ? "CT:0E/4" : "CT:0D/8";
    const QStringList wire = sim.wire();
    QCOMPARE(wire.size(), 3);
    QVERIFY(wire[0].startsWith("GET_MIN " + control));
    QVERIFY(wire[1].startsWith("GET_MAX " + control));
    QCOMPARE(wire[2], sent);
}

void tst_UvcControls::panTiltRangesAreCached()
{
    InitedCamera sim;
    QCOMPARE(sim.device->uvcPanTiltAbsoluteControl(1, 1), 0);
    QCOMPARE(sim.device->uvcPanTiltRelativeControl(1.0, 1.0), 0);
    sim.camera->clearRequests();
    QCOMPARE(sim.device->uvcPanTiltAbsoluteControl(-1, -1), 0);
    QCOMPARE(sim.device->uvcPanTiltRelativeControl(-1.0, -1.0), 0);
    QCOMPARE(sim.wire(), lines("SET_CUR CT:0D/8 f0f1fffff0f1ffff; SET_CUR CT:0E/4 ff14ff0a"));
    const UvcDevice::PanTiltRanges ranges = sim.device->panTiltRanges();
    QCOMPARE(ranges.panMin, -10);
    QCOMPARE(ranges.tiltMax, 5);
    QCOMPARE(ranges.panSpeedMin, 1);
    QCOMPARE(ranges.tiltSpeedMax, 10);

    // A camera reporting a maximum of 0 has its range read on every move.
    InitedCamera flat(specWith("CT:0D.max=0000000000000000"));
    QCOMPARE(flat.device->uvcPanTiltAbsoluteControl(3, 3), 0);
    QCOMPARE(flat.device->uvcPanTiltAbsoluteControl(3, 3), 0);
    QCOMPARE(flat.wire().filter("GET_MIN").size(), 2);
    QCOMPARE(flat.wire().filter("SET_CUR").last(), "SET_CUR CT:0D/8 0000000000000000");
}

void tst_UvcControls::panTiltRangeFailures()
{
    InitedCamera noMax(specWith("CT:0D.max=0a000000"));
    QTest::ignoreMessage(QtCriticalMsg, "uvcPanTiltRangeAbsGet failed");
    QCOMPARE(noMax.device->uvcPanTiltAbsoluteControl(1, 1), -1);
    QCOMPARE(noMax.wire().filter("SET_CUR").size(), 0);
    QCOMPARE(noMax.device->panTiltRanges().panMin, 0);  // nothing cached from a half read

    InitedCamera noRelative(specWith("CT:0E=-"));
    QTest::ignoreMessage(QtCriticalMsg, "uvcPanTiltRangeRelGet failed");
    QCOMPARE(noRelative.device->uvcPanTiltRelativeControl(1.0, 1.0), -1);
    QCOMPARE(noRelative.wire(), lines("GET_MIN CT:0E/4"));
}

void tst_UvcControls::guards_data()
{
    addGuardRows();
}

void tst_UvcControls::guards()
{
    GuardedCamera sim;
    for (const auto& method : everyMethod()) {
        sim.expectRefusal();
        QCOMPARE(method(sim.device()), -1);
    }
    QVERIFY(sim.nothingSent());

    // The outputs of a refused getter stay as they were.
    bool autoFocus = true;
    int value = kUntouched;
    sim.expectRefusal();
    QCOMPARE(sim.device().uvcFocusGet(autoFocus, value), -1);
    QVERIFY(autoFocus);
    QCOMPARE(value, kUntouched);
}

QTEST_GUILESS_MAIN(tst_UvcControls)
#include "tst_uvccontrols.moc"
