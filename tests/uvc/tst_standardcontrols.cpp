// The standard controls part over a simulated camera's handle, with no
// camera object: each getter, setter and range reader with its bytes on the
// wire, signed hue, the exposure modes, pan/tilt with its cached ranges,
// short replies, and moves from several threads.

#include "support/ControlTables.h"
#include "support/HandlePorts.h"
#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include "uvc/StandardControls.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <thread>

using namespace vesk::pc;

namespace {

// The part over its own ports, and every request the camera saw.
struct PartRig : HandlePorts
{
    StandardControls controls{*this};

    explicit PartRig(const SimCameraModel& model = SimCameraModel()) : HandlePorts(model) {}

    QStringList wire() const
    {
        QStringList seen;
        for (const auto& record : camera->requests())
            seen << describeRequest(record);
        return seen;
    }
};

} // namespace

class tst_StandardControls : public QObject
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
    void movesFromSeveralThreads();
};

void tst_StandardControls::getters_data()
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

void tst_StandardControls::getters()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(bool, autoOn);
    QFETCH(int, value);
    QFETCH(QStringList, wire);

    PartRig sim(modelWith(camera));
    const bool hasAuto = !QStringList{"brightness", "saturation", "sharpness"}.contains(method);
    bool gotAuto = result == 0 && hasAuto ? !autoOn : false;  // the getter must change it on success
    int gotValue = kUntouched;
    QCOMPARE(getterTable<StandardControls>().value(method)(sim.controls, gotAuto, gotValue), result);
    QCOMPARE(gotAuto, autoOn);
    QCOMPARE(gotValue, value);
    QCOMPARE(sim.wire(), wire);
}

void tst_StandardControls::panTiltAbsoluteGet_data()
{
    QTest::addColumn<QString>("camera");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("pan");
    QTest::addColumn<int>("tilt");
    QTest::newRow("raw arc-seconds") << "CT:0D=201c0000e0e3ffff" << 0 << 7200 << -7200;
    QTest::newRow("seven bytes") << "CT:0D=201c0000e0e3ff" << -1 << kUntouched << kUntouched;
}

void tst_StandardControls::panTiltAbsoluteGet()
{
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(int, pan);
    QFETCH(int, tilt);
    PartRig sim(modelWith(camera));
    int32_t gotPan = kUntouched, gotTilt = kUntouched;
    QCOMPARE(sim.controls.uvcPanTiltAbsoluteControlGet(gotPan, gotTilt), result);
    QCOMPARE(gotPan, pan);
    QCOMPARE(gotTilt, tilt);
    QCOMPARE(sim.wire().size(), 1);
    QVERIFY(sim.wire().first().startsWith("GET_CUR CT:0D/8"));
}

void tst_StandardControls::setters_data()
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

void tst_StandardControls::setters()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(bool, autoOn);
    QFETCH(int, value);
    QFETCH(int, result);
    QFETCH(QStringList, wire);
    PartRig sim(modelWith(camera));
    QCOMPARE(setterTable<StandardControls>().value(method)(sim.controls, autoOn, value), result);
    QCOMPARE(sim.wire(), wire);
}

void tst_StandardControls::ranges_data()
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

void tst_StandardControls::ranges()
{
    QFETCH(QString, method);
    QFETCH(QString, camera);
    QFETCH(int, result);
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(qint64, step);
    QFETCH(qint64, def);
    PartRig sim(modelWith(camera));
    StandardControls::CameraParamRange range{7, 7, 7, 7};
    QCOMPARE(rangeReaderTable<StandardControls>().value(method)(sim.controls, range), result);
    QCOMPARE(range.min, min);
    QCOMPARE(range.max, max);
    QCOMPARE(range.step, step);
    QCOMPARE(range.def, def);
}

void tst_StandardControls::rangeReadOnTheWire()
{
    PartRig sim;
    StandardControls::CameraParamRange range;
    QCOMPARE(sim.controls.uvcHueControlRangeGet(range), 0);
    QCOMPARE(sim.wire(), lines("GET_MIN PU:06/2 4cff; GET_MAX PU:06/2 b400; GET_RES PU:06/2 0100; "
                               "GET_DEF PU:06/2 0000"));
}

void tst_StandardControls::panTiltMoves_data()
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
void tst_StandardControls::panTiltMoves()
{
    QFETCH(QString, camera);
    QFETCH(bool, relative);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    QFETCH(QString, sent);
    PartRig sim(modelWith(camera));
    const int result = relative ? sim.controls.uvcPanTiltRelativeControl(pan, tilt)
                                : sim.controls.uvcPanTiltAbsoluteControl(int32_t(pan), int32_t(tilt));
    QCOMPARE(result, 0);
    const QString control = relative ? "CT:0E/4" : "CT:0D/8";
    const QStringList wire = sim.wire();
    QCOMPARE(wire.size(), 3);
    QVERIFY(wire[0].startsWith("GET_MIN " + control));
    QVERIFY(wire[1].startsWith("GET_MAX " + control));
    QCOMPARE(wire[2], sent);
}

void tst_StandardControls::panTiltRangesAreCached()
{
    PartRig sim;
    QCOMPARE(sim.controls.uvcPanTiltAbsoluteControl(1, 1), 0);
    QCOMPARE(sim.controls.uvcPanTiltRelativeControl(1.0, 1.0), 0);
    sim.camera->clearRequests();
    QCOMPARE(sim.controls.uvcPanTiltAbsoluteControl(-1, -1), 0);
    QCOMPARE(sim.controls.uvcPanTiltRelativeControl(-1.0, -1.0), 0);
    QCOMPARE(sim.wire(), lines("SET_CUR CT:0D/8 f0f1fffff0f1ffff; SET_CUR CT:0E/4 ff14ff0a"));
    const StandardControls::PanTiltRanges ranges = sim.controls.panTiltRanges();
    QCOMPARE(ranges.panMin, -10);
    QCOMPARE(ranges.tiltMax, 5);
    QCOMPARE(ranges.panSpeedMin, 1);
    QCOMPARE(ranges.tiltSpeedMax, 10);

    // A camera reporting a maximum of 0 has its range read on every move.
    PartRig flat(modelWith("CT:0D.max=0000000000000000"));
    QCOMPARE(flat.controls.uvcPanTiltAbsoluteControl(3, 3), 0);
    QCOMPARE(flat.controls.uvcPanTiltAbsoluteControl(3, 3), 0);
    QCOMPARE(flat.wire().filter("GET_MIN").size(), 2);
    QCOMPARE(flat.wire().filter("SET_CUR").last(), "SET_CUR CT:0D/8 0000000000000000");
}

void tst_StandardControls::panTiltRangeFailures()
{
    PartRig noMax(modelWith("CT:0D.max=0a000000"));
    QTest::ignoreMessage(QtCriticalMsg, "uvcPanTiltRangeAbsGet failed");
    QCOMPARE(noMax.controls.uvcPanTiltAbsoluteControl(1, 1), -1);
    QCOMPARE(noMax.wire().filter("SET_CUR").size(), 0);
    QCOMPARE(noMax.controls.panTiltRanges().panMin, 0);  // nothing cached from a half read

    PartRig noRelative(modelWith("CT:0E=-"));
    QTest::ignoreMessage(QtCriticalMsg, "uvcPanTiltRangeRelGet failed");
    QCOMPARE(noRelative.controls.uvcPanTiltRelativeControl(1.0, 1.0), -1);
    QCOMPARE(noRelative.wire(), lines("GET_MIN CT:0E/4"));
}

// Moves from several threads share one range cache: the first reads fill it
// (perhaps more than once), and every move is sent whole.
void tst_StandardControls::movesFromSeveralThreads()
{
    PartRig sim;
    const int threads = 4;
    const int moves = 50;
    std::atomic<int> failures{0};
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> movers;
    for (int t = 0; t < threads; ++t) {
        movers.emplace_back([&sim, &failures, t] {
            for (int i = 0; i < moves; ++i) {
                const bool relative = (i + t) % 2 == 0;
                const int result = relative ? sim.controls.uvcPanTiltRelativeControl(1.0, -1.0)
                                            : sim.controls.uvcPanTiltAbsoluteControl(2, -2);
                if (result != 0)
                    ++failures;
            }
        });
    }
    for (std::thread& mover : movers)
        mover.join();
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(failures.load(), 0);
    const QStringList sets = sim.wire().filter("SET_CUR");
    QCOMPARE(sets.size(), threads * moves);
    QCOMPARE(sets.filter("SET_CUR CT:0D/8 201c0000e0e3ffff").size(), threads * moves / 2);
    QCOMPARE(sets.filter("SET_CUR CT:0E/4 0114ff0a").size(), threads * moves / 2);
    const StandardControls::PanTiltRanges ranges = sim.controls.panTiltRanges();
    QCOMPARE(ranges.panMax, 10);
    QCOMPARE(ranges.tiltSpeedMax, 10);
}

QTEST_GUILESS_MAIN(tst_StandardControls)
#include "tst_standardcontrols.moc"
