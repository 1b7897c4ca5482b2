// The standard UVC controls through a camera object: the guards that refuse
// every method before anything is sent, and the calls reaching the camera
// once they pass. The controls themselves are tested on their part
// (tst_standardcontrols).

#include "support/ControlTables.h"
#include "support/InitedCamera.h"
#include "support/TestHome.h"

#include <QtTest>

#include <functional>

using namespace vesk::pc;

namespace {

// Every method of the area, for the guard tests; each returns its result as int.
QList<std::function<int(UvcDevice&)>> everyMethod()
{
    QList<std::function<int(UvcDevice&)>> all;
    for (const Getter<UvcDevice>& get : getterTable<UvcDevice>())
        all << [get](UvcDevice& d) { bool a = false; int v = 0; return get(d, a, v); };
    for (const Setter<UvcDevice>& set : setterTable<UvcDevice>())
        all << [set](UvcDevice& d) { return set(d, false, 1); };
    for (const RangeReader<UvcDevice>& read : rangeReaderTable<UvcDevice>())
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
    void guards_data();
    void guards();
    void passedGuardsReachTheCamera();
};

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

void tst_UvcControls::passedGuardsReachTheCamera()
{
    InitedCamera sim(modelWith("CT:08=01 CT:06=feff"));
    QVERIFY(sim.inited);
    bool autoFocus = false;
    int value = kUntouched;
    QCOMPARE(sim.device->uvcFocusGet(autoFocus, value), 0);
    QCOMPARE(sim.device->uvcHueControlSet(-180), 0);
    QCOMPARE(sim.device->uvcPanTiltRelativeControl(0.0, 0.0), 0);
    QVERIFY(autoFocus);
    QCOMPARE(value, -2);
    QCOMPARE(sim.wire(), lines("GET_CUR CT:08/1 01; GET_CUR CT:06/2 feff; SET_CUR PU:06/2 4cff; "
                               "GET_MIN CT:0E/4 ff01ff01; GET_MAX CT:0E/4 0114010a; "
                               "SET_CUR CT:0E/4 00000000"));
    QCOMPARE(sim.device->panTiltRanges().panSpeedMax, 20);
}

QTEST_GUILESS_MAIN(tst_UvcControls)
#include "tst_uvccontrols.moc"
