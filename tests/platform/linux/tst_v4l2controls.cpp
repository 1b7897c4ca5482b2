// The standard controls on Linux: every row of the camera link's table with
// its V4L2 counterpart, value packing both ways, and requests answered from
// V4L2 controls (current value, query limits, flags, the exposure menu).

#include "platform/linux/V4l2ControlBridge.h"
#include "platform/linux/V4l2ControlIo.h"
#include "uvc/UvcCtrlSelector.h"

#include <QtTest>

#include <linux/videodev2.h>

using namespace vesk::pc;

namespace {

// V4L2 controls held in memory; each call is counted.
class FakeControls : public V4l2ControlIo
{
public:
    struct Control
    {
        v4l2_queryctrl query{};
        int32_t value = 0;
    };

    void add(uint32_t id, int32_t min, int32_t max, int32_t step, int32_t def, int32_t value,
             uint32_t flags = 0)
    {
        Control control;
        control.query.id = id;
        control.query.minimum = min;
        control.query.maximum = max;
        control.query.step = step;
        control.query.default_value = def;
        control.query.flags = flags;
        control.value = value;
        controls[id] = control;
    }

    bool query(uint32_t id, v4l2_queryctrl* out) override
    {
        ++calls;
        if (!controls.contains(id))
            return false;
        *out = controls[id].query;
        return true;
    }
    bool hasMenuItem(uint32_t id, uint32_t index) override
    {
        ++calls;
        return menu.value(id).contains(index);
    }
    bool get(const uint32_t* ids, int32_t* values, int count) override
    {
        ++calls;
        lastCount = count;
        for (int i = 0; i < count; ++i) {
            if (gone || !controls.contains(ids[i]))
                return false;
            values[i] = controls[ids[i]].value;
        }
        return true;
    }
    bool set(const uint32_t* ids, const int32_t* values, int count) override
    {
        ++calls;
        lastCount = count;
        if (gone)
            return false;
        for (int i = 0; i < count; ++i)
            controls[ids[i]].value = values[i];
        return true;
    }

    QHash<uint32_t, Control> controls;
    QHash<uint32_t, QSet<uint32_t>> menu;
    bool gone = false;  // the camera was pulled out
    int calls = 0;
    int lastCount = 0;
};

QByteArray request(V4l2ControlBridge& bridge, UvcRequest code, int index, int length = -1,
                   int* result = nullptr)
{
    const UvcCtrlInfo& row = kUvcCtrlTable[index];
    QByteArray data(length < 0 ? row.length : length, '\0');
    const int moved = bridge.request(code, row.unit, row.selector,
                                     reinterpret_cast<uint8_t*>(data.data()), data.size());
    if (result)
        *result = moved;
    return moved < 0 ? QByteArray() : data.left(moved);
}

} // namespace

class tst_V4l2Controls : public QObject
{
    Q_OBJECT

private slots:
    void rowsMatchCameraLinkTable();
    void v4l2Ids_data();
    void v4l2Ids();
    void packing_data();
    void packing();
    void noUvcForm();
    void currentValues();
    void limitsAndInfo();
    void exposureMenu();
    void refusals();
};

void tst_V4l2Controls::rowsMatchCameraLinkTable()
{
    QCOMPARE(V4l2ControlMap::kRowCount, int(UvcCtrlSelectorCount));
    for (int i = 0; i < UvcCtrlSelectorCount; ++i) {
        const V4l2ControlRow& row = V4l2ControlMap::kRows[i];
        QCOMPARE(row.unit, kUvcCtrlTable[i].unit);
        QCOMPARE(row.selector, kUvcCtrlTable[i].selector);
        QCOMPARE(row.length, kUvcCtrlTable[i].length);
        QCOMPARE(V4l2ControlMap::rowOf(row.unit, row.selector), i);
        for (int p = 0; p < V4l2ControlMap::partCount(row); ++p)
            QVERIFY(row.parts[p].offset + row.parts[p].size <= row.length);
    }
    QCOMPARE(V4l2ControlMap::rowOf(UvcUnitKind::CameraTerminal, 0x15), -1);
    QCOMPARE(V4l2ControlMap::rowOf(UvcUnitKind::ExtensionUnit, 0x02), -1);
}

void tst_V4l2Controls::v4l2Ids_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("second");
    const uint none = 0;
    QTest::newRow("scanning mode") << 0 << none << none;
    QTest::newRow("auto-exposure mode") << 1 << uint(V4L2_CID_EXPOSURE_AUTO) << none;
    QTest::newRow("auto-exposure priority") << 2 << uint(V4L2_CID_EXPOSURE_AUTO_PRIORITY) << none;
    QTest::newRow("exposure absolute") << 3 << uint(V4L2_CID_EXPOSURE_ABSOLUTE) << none;
    QTest::newRow("exposure relative") << 4 << none << none;
    QTest::newRow("focus absolute") << 5 << uint(V4L2_CID_FOCUS_ABSOLUTE) << none;
    QTest::newRow("focus relative") << 6 << uint(V4L2_CID_FOCUS_RELATIVE) << none;
    QTest::newRow("focus simple range") << 7 << none << none;
    QTest::newRow("focus auto") << 8 << uint(V4L2_CID_FOCUS_AUTO) << none;
    QTest::newRow("iris absolute") << 9 << uint(V4L2_CID_IRIS_ABSOLUTE) << none;
    QTest::newRow("iris relative") << 10 << uint(V4L2_CID_IRIS_RELATIVE) << none;
    QTest::newRow("zoom absolute") << 11 << uint(V4L2_CID_ZOOM_ABSOLUTE) << none;
    QTest::newRow("zoom relative") << 12 << uint(V4L2_CID_ZOOM_CONTINUOUS) << none;
    QTest::newRow("pan/tilt absolute") << 13 << uint(V4L2_CID_PAN_ABSOLUTE)
                                       << uint(V4L2_CID_TILT_ABSOLUTE);
    QTest::newRow("pan/tilt relative") << 14 << uint(V4L2_CID_PAN_SPEED)
                                       << uint(V4L2_CID_TILT_SPEED);
    QTest::newRow("roll absolute") << 15 << none << none;
    QTest::newRow("roll relative") << 16 << none << none;
    QTest::newRow("privacy") << 17 << uint(V4L2_CID_PRIVACY) << none;
    QTest::newRow("window") << 18 << none << none;
    QTest::newRow("region of interest") << 19 << none << none;
    QTest::newRow("backlight") << 20 << uint(V4L2_CID_BACKLIGHT_COMPENSATION) << none;
    QTest::newRow("brightness") << 21 << uint(V4L2_CID_BRIGHTNESS) << none;
    QTest::newRow("contrast") << 22 << uint(V4L2_CID_CONTRAST) << none;
    QTest::newRow("contrast auto") << 23 << none << none;
    QTest::newRow("gain") << 24 << uint(V4L2_CID_GAIN) << none;
    QTest::newRow("power line") << 25 << uint(V4L2_CID_POWER_LINE_FREQUENCY) << none;
    QTest::newRow("hue") << 26 << uint(V4L2_CID_HUE) << none;
    QTest::newRow("hue auto") << 27 << uint(V4L2_CID_HUE_AUTO) << none;
    QTest::newRow("saturation") << 28 << uint(V4L2_CID_SATURATION) << none;
    QTest::newRow("sharpness") << 29 << uint(V4L2_CID_SHARPNESS) << none;
    QTest::newRow("gamma") << 30 << uint(V4L2_CID_GAMMA) << none;
    QTest::newRow("white balance") << 31 << uint(V4L2_CID_WHITE_BALANCE_TEMPERATURE) << none;
    QTest::newRow("white balance auto") << 32 << uint(V4L2_CID_AUTO_WHITE_BALANCE) << none;
    QTest::newRow("white balance component") << 33 << uint(V4L2_CID_BLUE_BALANCE)
                                             << uint(V4L2_CID_RED_BALANCE);
    QTest::newRow("component auto") << 34 << uint(V4L2_CID_AUTO_WHITE_BALANCE) << none;
    QTest::newRow("digital multiplier") << 35 << none << none;
    QTest::newRow("multiplier limit") << 36 << none << none;
    QTest::newRow("analog standard") << 37 << none << none;
    QTest::newRow("analog lock") << 38 << none << none;
}

void tst_V4l2Controls::v4l2Ids()
{
    QFETCH(int, index);
    QFETCH(uint, first);
    QFETCH(uint, second);
    const V4l2ControlRow& row = V4l2ControlMap::kRows[index];
    QCOMPARE(row.packing == V4l2Packing::None, first == 0);
    QCOMPARE(V4l2ControlMap::partCount(row), first == 0 ? 0 : (second == 0 ? 1 : 2));
    if (first != 0)
        QCOMPARE(row.parts[0].id, uint32_t(first));
    if (second != 0)
        QCOMPARE(row.parts[1].id, uint32_t(second));
}

void tst_V4l2Controls::packing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("uvc");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("brightness signed") << 21 << QByteArray::fromHex("9cff") << -100 << 0;
    QTest::newRow("contrast unsigned") << 22 << QByteArray::fromHex("4cff") << 65356 << 0;
    QTest::newRow("hue signed") << 26 << QByteArray::fromHex("4cff") << -180 << 0;
    QTest::newRow("exposure 300") << 3 << QByteArray::fromHex("2c010000") << 300 << 0;
    QTest::newRow("focus 1000") << 5 << QByteArray::fromHex("e803") << 1000 << 0;
    QTest::newRow("power line 60 Hz") << 25 << QByteArray::fromHex("02") << 2 << 0;
    QTest::newRow("exposure mode auto") << 1 << QByteArray::fromHex("02")
                                        << int(V4L2_EXPOSURE_AUTO) << 0;
    QTest::newRow("exposure mode manual") << 1 << QByteArray::fromHex("01")
                                          << int(V4L2_EXPOSURE_MANUAL) << 0;
    QTest::newRow("exposure mode shutter") << 1 << QByteArray::fromHex("04")
                                           << int(V4L2_EXPOSURE_SHUTTER_PRIORITY) << 0;
    QTest::newRow("exposure mode aperture") << 1 << QByteArray::fromHex("08")
                                            << int(V4L2_EXPOSURE_APERTURE_PRIORITY) << 0;
    QTest::newRow("pan/tilt absolute") << 13 << QByteArray::fromHex("201c0000e0e3ffff")
                                       << 7200 << -7200;
    QTest::newRow("pan/tilt home") << 13 << QByteArray::fromHex("0000000000000000") << 0 << 0;
    QTest::newRow("pan left, tilt up") << 14 << QByteArray::fromHex("ff140105") << -20 << 5;
    QTest::newRow("pan/tilt stop") << 14 << QByteArray::fromHex("00000000") << 0 << 0;
    QTest::newRow("zoom in") << 12 << QByteArray::fromHex("010005") << 5 << 0;
    QTest::newRow("zoom out") << 12 << QByteArray::fromHex("ff0003") << -3 << 0;
    QTest::newRow("white balance component") << 33 << QByteArray::fromHex("34127856")
                                             << 0x1234 << 0x5678;
    QTest::newRow("iris closing") << 10 << QByteArray::fromHex("ff") << -1 << 0;
}

void tst_V4l2Controls::packing()
{
    QFETCH(int, index);
    QFETCH(QByteArray, uvc);
    QFETCH(int, first);
    QFETCH(int, second);
    const V4l2ControlRow& row = V4l2ControlMap::kRows[index];
    int32_t values[2] = {};
    QVERIFY(V4l2ControlMap::toV4l2(row, reinterpret_cast<const uint8_t*>(uvc.constData()), values));
    QCOMPARE(values[0], first);
    if (V4l2ControlMap::partCount(row) == 2)
        QCOMPARE(values[1], second);

    QByteArray back(row.length, char(0x55));
    const int32_t wanted[2] = {first, second};
    QVERIFY(V4l2ControlMap::toUvc(row, wanted, reinterpret_cast<uint8_t*>(back.data())));
    QCOMPARE(back.toHex(), uvc.toHex());
}

void tst_V4l2Controls::noUvcForm()
{
    const V4l2ControlRow& mode = V4l2ControlMap::kRows[CtAeMode];
    int32_t values[2] = {};
    const uint8_t twoModes = 0x03;
    QVERIFY(!V4l2ControlMap::toV4l2(mode, &twoModes, values));
    uint8_t byte = 0;
    const int32_t unknownItem[2] = {7, 0};
    QVERIFY(!V4l2ControlMap::toUvc(mode, unknownItem, &byte));
    // A speed above a byte is cut to the largest the byte holds.
    QByteArray speed(4, '\0');
    const int32_t fast[2] = {-300, 300};
    QVERIFY(V4l2ControlMap::toUvc(V4l2ControlMap::kRows[CtPanTiltRelative], fast,
                                  reinterpret_cast<uint8_t*>(speed.data())));
    QCOMPARE(speed.toHex(), QByteArray("ffff01ff"));
}

void tst_V4l2Controls::currentValues()
{
    FakeControls io;
    io.add(V4L2_CID_PAN_ABSOLUTE, -36000, 36000, 3600, 0, 7200);
    io.add(V4L2_CID_TILT_ABSOLUTE, -18000, 18000, 3600, 0, -7200);
    io.add(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 1, 250, 0);
    V4l2ControlBridge bridge(io);

    // Pan and tilt travel together in one call each way.
    QCOMPARE(request(bridge, UvcRequest::GetCur, CtPanTiltAbsolute).toHex(),
             QByteArray("201c0000e0e3ffff"));
    QCOMPARE(io.lastCount, 2);
    QByteArray move = QByteArray::fromHex("a08c0000608cffff");  // 36000, -29600
    QCOMPARE(bridge.request(UvcRequest::SetCur, UvcUnitKind::CameraTerminal, 0x0D,
                            reinterpret_cast<uint8_t*>(move.data()), 8),
             8);
    QCOMPARE(io.lastCount, 2);
    QCOMPARE(io.controls[V4L2_CID_PAN_ABSOLUTE].value, 36000);
    QCOMPARE(io.controls[V4L2_CID_TILT_ABSOLUTE].value, -29600);

    QByteArray exposure = QByteArray::fromHex("2c010000");
    QCOMPARE(bridge.request(UvcRequest::SetCur, UvcUnitKind::CameraTerminal, 0x04,
                            reinterpret_cast<uint8_t*>(exposure.data()), 4),
             4);
    QCOMPARE(io.controls[V4L2_CID_EXPOSURE_ABSOLUTE].value, 300);
}

void tst_V4l2Controls::limitsAndInfo()
{
    FakeControls io;
    io.add(V4L2_CID_BRIGHTNESS, -64, 64, 1, 0, 0);
    io.add(V4L2_CID_PAN_SPEED, -20, 20, 1, 0, 0);
    io.add(V4L2_CID_TILT_SPEED, -10, 10, 1, 0, 0);
    io.add(V4L2_CID_FOCUS_ABSOLUTE, 0, 1023, 1, 68, 0, V4L2_CTRL_FLAG_INACTIVE | V4L2_CTRL_FLAG_VOLATILE);
    io.add(V4L2_CID_PRIVACY, 0, 1, 1, 0, 0, V4L2_CTRL_FLAG_READ_ONLY);
    V4l2ControlBridge bridge(io);

    QCOMPARE(request(bridge, UvcRequest::GetMin, PuBrightness).toHex(), QByteArray("c0ff"));
    QCOMPARE(request(bridge, UvcRequest::GetMax, PuBrightness).toHex(), QByteArray("4000"));
    QCOMPARE(request(bridge, UvcRequest::GetRes, PuBrightness).toHex(), QByteArray("0100"));
    QCOMPARE(request(bridge, UvcRequest::GetDef, PuBrightness).toHex(), QByteArray("0000"));
    // The speed bytes (1 and 3) carry the largest speeds.
    QCOMPARE(request(bridge, UvcRequest::GetMax, CtPanTiltRelative).toHex(), QByteArray("0114010a"));
    QCOMPARE(request(bridge, UvcRequest::GetMin, CtPanTiltRelative).toHex(), QByteArray("ff14ff0a"));
    QCOMPARE(request(bridge, UvcRequest::GetDef, CtFocusAbsolute).toHex(), QByteArray("4400"));

    QCOMPARE(request(bridge, UvcRequest::GetInfo, PuBrightness, 1).toHex(), QByteArray("03"));
    QCOMPARE(request(bridge, UvcRequest::GetInfo, CtFocusAbsolute, 1).toHex(), QByteArray("0f"));
    QCOMPARE(request(bridge, UvcRequest::GetInfo, CtPrivacy, 1).toHex(), QByteArray("01"));
}

void tst_V4l2Controls::exposureMenu()
{
    FakeControls io;
    io.add(V4L2_CID_EXPOSURE_AUTO, 0, 3, 1, V4L2_EXPOSURE_APERTURE_PRIORITY, V4L2_EXPOSURE_MANUAL);
    io.menu[V4L2_CID_EXPOSURE_AUTO] = {V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY};
    V4l2ControlBridge bridge(io);

    // GET_RES: the bitmap of offered modes; GET_DEF: a mode bit.
    QCOMPARE(request(bridge, UvcRequest::GetRes, CtAeMode).toHex(), QByteArray("09"));
    QCOMPARE(request(bridge, UvcRequest::GetDef, CtAeMode).toHex(), QByteArray("08"));
    QCOMPARE(request(bridge, UvcRequest::GetCur, CtAeMode).toHex(), QByteArray("01"));
    int result = 0;
    request(bridge, UvcRequest::GetMin, CtAeMode, -1, &result);
    QCOMPARE(result, -1);

    uint8_t autoMode = 0x02;
    QCOMPARE(bridge.request(UvcRequest::SetCur, UvcUnitKind::CameraTerminal, 0x02, &autoMode, 1), 1);
    QCOMPARE(io.controls[V4L2_CID_EXPOSURE_AUTO].value, int32_t(V4L2_EXPOSURE_AUTO));
    uint8_t noMode = 0x06;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has no V4L2 form"));
    QCOMPARE(bridge.request(UvcRequest::SetCur, UvcUnitKind::CameraTerminal, 0x02, &noMode, 1), -1);

    // A driver claiming a huge menu is asked only about items that have a mode.
    FakeControls wide;
    wide.add(V4L2_CID_EXPOSURE_AUTO, 0, INT32_MAX, 1, V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_AUTO);
    wide.menu[V4L2_CID_EXPOSURE_AUTO] = {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_SHUTTER_PRIORITY};
    V4l2ControlBridge wideBridge(wide);
    QCOMPARE(request(wideBridge, UvcRequest::GetRes, CtAeMode).toHex(), QByteArray("06"));
    QVERIFY2(wide.calls <= 5, qPrintable(QString::number(wide.calls)));
}

void tst_V4l2Controls::refusals()
{
    FakeControls io;
    io.add(V4L2_CID_GAIN, 0, 255, 1, 32, 32);
    V4l2ControlBridge bridge(io);
    int result = 0;

    // A control V4L2 has no counterpart for answers -1 without a driver call.
    request(bridge, UvcRequest::GetCur, CtRollAbsolute, -1, &result);
    QCOMPARE(result, -1);
    request(bridge, UvcRequest::GetCur, PuDigitalMultiplier, -1, &result);
    QCOMPARE(result, -1);
    QCOMPARE(io.calls, 0);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("length 1 expected 2"));
    request(bridge, UvcRequest::GetCur, PuGain, 1, &result);
    QCOMPARE(result, -1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No standard control"));
    uint8_t byte = 0;
    QCOMPARE(bridge.request(UvcRequest::GetCur, UvcUnitKind::ProcessingUnit, 0x20, &byte, 1), -1);

    QCOMPARE(request(bridge, UvcRequest::GetCur, PuGain).toHex(), QByteArray("2000"));
    io.gone = true;  // pulled out mid-session: the driver refuses, nothing more
    request(bridge, UvcRequest::GetCur, PuGain, -1, &result);
    QCOMPARE(result, -1);
    // The control is absent from this camera's driver.
    request(bridge, UvcRequest::GetMax, PuHue, -1, &result);
    QCOMPARE(result, -1);
}

QTEST_GUILESS_MAIN(tst_V4l2Controls)
#include "tst_v4l2controls.moc"
