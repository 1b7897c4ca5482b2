// Camera commands against a simulated camera: zoom and focus through the
// standard controls with their cached ranges, the vendor zoom frame,
// anti-flicker, run status, factory reset, the upgrade indication and mode,
// the log preparation's shell frames, the guards, and the mended faults
// (ratios and percentages held inside the range, short replies, outputs
// written only on success, upgrade mode, shell lines too long).

#include "support/CommandFixture.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QtTest>

#include <functional>

using namespace vesk::pc;

using Command = std::function<int(UvcDevice&)>;
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(vesk::pc::SimKnobs)

namespace {

constexpr uint8_t kZoom = 0x0B;
constexpr uint8_t kFocus = 0x06;
constexpr uint8_t kFocusAuto = 0x08;
constexpr uint8_t kPowerLine = 0x05;

// The default camera with one camera-terminal control's range and value changed.
SimCameraModel withRange(uint8_t selector, int64_t min, int64_t max, int64_t cur)
{
    SimCameraModel model;
    for (SimControl& control : model.controls) {
        if (control.unit == UvcUnitKind::CameraTerminal && control.selector == selector) {
            control.min = SimControl::le(min, 2);
            control.max = SimControl::le(max, 2);
            control.cur = SimControl::le(cur, 2);
        }
    }
    return model;
}

SimCameraModel without(UvcUnitKind unit, uint8_t selector)
{
    SimCameraModel model;
    for (int i = model.controls.size() - 1; i >= 0; --i) {
        if (model.controls[i].unit == unit && model.controls[i].selector == selector)
            model.controls.removeAt(i);
    }
    return model;
}

int countRequests(const CommandCamera& camera, UvcRequest request, uint8_t selector)
{
    int count = 0;
    for (const auto& record : camera.camera->requests())
        count += record.kind == UvcUnitKind::CameraTerminal && record.selector == selector
                 && record.request == request;
    return count;
}

QByteArray ct(const CommandCamera& camera, uint8_t selector)
{
    return camera.camera->controlValue(UvcUnitKind::CameraTerminal, selector).toHex();
}

bool standardRequestsMade(const CommandCamera& camera)
{
    for (const auto& record : camera.camera->requests()) {
        if (record.kind != UvcUnitKind::ExtensionUnit)
            return true;
    }
    return false;
}

} // namespace

class StatusReceiver : public QObject
{
    Q_OBJECT
public:
    int value = 1000;
public slots:
    void onDevStatus(int status) { value = status; }
};

class tst_UvcCamera : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void zoomByStandardControl_data();
    void zoomByStandardControl();
    void zoomByVendorFrame_data();
    void zoomByVendorFrame();
    void zoomReads_data();
    void zoomReads();
    void rangeReadOnceUnlessMaximumIsZero();
    void rangeReadFailures();
    void focus_data();
    void focus();
    void focusReads_data();
    void focusReads();
    void focusReadKeepsOutputOnFailure();
    void autoFocusAndAntiFlicker();
    void queuedFrames_data();
    void queuedFrames();
    void blockingResults_data();
    void blockingResults();
    void factoryReset_data();
    void factoryReset();
    void devRunStatus();
    void runStatusShowsInTheStatusBlock_data();
    void runStatusShowsInTheStatusBlock();
    void guards_data();
    void guards();
    void standardControlsRefusedWhileUpgrading();
    void prepareLogSendsTwoShellLines();
    void prepareLogWritesDirectlyInUpgradeMode();
    void shellLines_data();
    void shellLines();
};

void tst_UvcCamera::zoomByStandardControl_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("1.5 of 0..100") << 0 << 100 << 1.5 << QByteArray("3200");
    QTest::newRow("1.125: 12.5 goes up") << 0 << 100 << 1.125 << QByteArray("0d00");
    QTest::newRow("1.0 the minimum") << 0 << 100 << 1.0 << QByteArray("0000");
    QTest::newRow("2.0 the maximum") << 0 << 100 << 2.0 << QByteArray("6400");
    QTest::newRow("1.5 of 100..500") << 100 << 500 << 1.5 << QByteArray("2c01");
    // Held inside the range: 0.5 used to go out as -50 (0xFFCE).
    QTest::newRow("0.5 held at the minimum") << 0 << 100 << 0.5 << QByteArray("0000");
    QTest::newRow("2.5 held at the maximum") << 0 << 100 << 2.5 << QByteArray("6400");
    QTest::newRow("NaN gives the minimum") << 100 << 500 << std::nan("") << QByteArray("6400");
}

void tst_UvcCamera::zoomByStandardControl()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(double, ratio);
    QFETCH(QByteArray, written);
    CommandCamera camera(withRange(kZoom, min, max, 7));
    QCOMPARE(camera.device->cameraSetZoomRatio(ratio, 100, 0), 0);
    QCOMPARE(ct(camera, kZoom), written);
    QVERIFY(camera.framesFor(0x1283).isEmpty());
}

void tst_UvcCamera::zoomByVendorFrame_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("1.0625: 1062.5 goes up") << 1.0625 << 100 << padded60("AA001210 0000000000 E1 1283 6400 27040000");
    QTest::newRow("1.5, speed -1") << 1.5 << -1 << padded60("AA001210 0000000000 E1 1283 FFFF DC050000");
    QTest::newRow("-0.0025: -2.5 goes up to -2") << -0.0025 << 0 << padded60("AA001210 0000000000 E1 1283 0000 FEFFFFFF");
}

void tst_UvcCamera::zoomByVendorFrame()
{
    QFETCH(double, ratio);
    QFETCH(int, speed);
    QFETCH(QByteArray, expected);
    CommandCamera camera;
    QCOMPARE(camera.device->cameraSetZoomRatio(ratio, int16_t(speed), 1), 0);
    QCOMPARE(camera.waitForFrame(0x1283).toHex(), expected.toHex());
    QCOMPARE(countRequests(camera, UvcRequest::SetCur, kZoom), 0);
}

void tst_UvcCamera::zoomReads_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("current");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("normalized");
    QTest::newRow("100..500, 300") << 100 << 500 << 300 << 1.5 << 300 << 50;
    QTest::newRow("100..500, raw 50 held at 0") << 100 << 500 << 100 << 1.0 << 50 << 0;
    QTest::newRow("100..500, raw 600 held at 100") << 100 << 500 << 500 << 2.0 << 600 << 100;
    QTest::newRow("0..100, 25") << 0 << 100 << 25 << 1.25 << 25 << 25;
    // Used to read 0.0, no ratio at all.
    QTest::newRow("min equals max: the lowest ratio") << 80 << 80 << 80 << 1.0 << 80 << 0;
    // The current value used to go into the ratio unbounded (120.25, 0.75).
    QTest::newRow("0..4, current 477 held at 2.0") << 0 << 4 << 477 << 2.0 << 477 << 100;
    QTest::newRow("100..500, current 0 held at 1.0") << 100 << 500 << 0 << 1.0 << 0 << 0;
    // Used to be taken as a range; now refused, and the ratio fails.
    QTest::newRow("min above max refused") << 500 << 100 << 300 << -1.0 << 300 << 0;
}

void tst_UvcCamera::zoomReads()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, current);
    QFETCH(double, ratio);
    QFETCH(int, raw);
    QFETCH(int, normalized);
    CommandCamera camera(withRange(kZoom, min, max, current));
    if (min > max) {
        for (int call = 0; call < 2; ++call) {
            const QByteArray refused = "zoom range: " + QByteArray::number(min) + ' '
                                       + QByteArray::number(max) + " refused: minimum above maximum";
            QTest::ignoreMessage(QtCriticalMsg, refused.constData());
            QTest::ignoreMessage(QtCriticalMsg, "get zoom range failed");
        }
    }
    QCOMPARE(camera.device->cameraGetZoomRatio(), ratio);
    QCOMPARE(camera.device->normalizedZoom(raw), normalized);
}

void tst_UvcCamera::rangeReadOnceUnlessMaximumIsZero()
{
    CommandCamera camera(withRange(kZoom, 0, 100, 0));
    camera.device->cameraSetZoomRatio(1.5, 100, 0);
    camera.device->cameraGetZoomRatio();
    camera.device->normalizedZoom(10);
    QCOMPARE(countRequests(camera, UvcRequest::GetMax, kZoom), 1);

    // A camera that reports a maximum of 0 is asked again every time.
    CommandCamera zero(withRange(kZoom, 0, 0, 0));
    zero.device->cameraSetZoomRatio(1.5, 100, 0);
    zero.device->cameraGetZoomRatio();
    zero.device->normalizedZoom(10);
    QCOMPARE(countRequests(zero, UvcRequest::GetMax, kZoom), 3);
    QCOMPARE(countRequests(zero, UvcRequest::GetMin, kZoom), 3);
}

void tst_UvcCamera::rangeReadFailures()
{
    CommandCamera noZoom(without(UvcUnitKind::CameraTerminal, kZoom));
    QVERIFY(!noZoom.device->cameraZoomRangeGet());
    QTest::ignoreMessage(QtCriticalMsg, "get zoom range failed");
    QCOMPARE(noZoom.device->cameraSetZoomRatio(1.5, 100, 0), -1);
    QTest::ignoreMessage(QtCriticalMsg, "get zoom range failed");
    QCOMPARE(noZoom.device->cameraGetZoomRatio(), -1.0);
    QTest::ignoreMessage(QtCriticalMsg, "get zoom range failed");
    QCOMPARE(noZoom.device->normalizedZoom(300), 0);

    CommandCamera noFocus(without(UvcUnitKind::CameraTerminal, kFocus));
    QVERIFY(!noFocus.device->cameraFocusRangeGet());
    QTest::ignoreMessage(QtCriticalMsg, "get focus range failed");
    QCOMPARE(noFocus.device->cameraSetFocusRatio(50), -1);
    QTest::ignoreMessage(QtCriticalMsg, "get focus range failed");
    QCOMPARE(noFocus.device->cameraSetAutoFocus(true), -1);
    QCOMPARE(countRequests(noFocus, UvcRequest::SetCur, kFocusAuto), 0);
}

void tst_UvcCamera::focus_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("percentage");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<int>("readBack");  // the ratio read from the written value
    QTest::newRow("50 of 0..1023") << 0 << 1023 << 50 << QByteArray("ff01") << 49;
    QTest::newRow("100 of 0..1023") << 0 << 1023 << 100 << QByteArray("ff03") << 100;
    QTest::newRow("30 of 100..200") << 100 << 200 << 30 << QByteArray("8200") << 30;
    // Held at 0..100: 150 used to write 1534, far beyond the range.
    QTest::newRow("150 held at 100") << 0 << 1023 << 150 << QByteArray("ff03") << 100;
    QTest::newRow("-10 held at 0") << 0 << 1023 << -10 << QByteArray("0000") << 0;
}

void tst_UvcCamera::focus()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, percentage);
    QFETCH(QByteArray, written);
    QFETCH(int, readBack);
    CommandCamera camera(withRange(kFocus, min, max, min));
    QCOMPARE(camera.device->cameraSetFocusRatio(percentage), 0);
    QCOMPARE(ct(camera, kFocus), written);
    uint8_t autoFocus = 7;
    QCOMPARE(camera.device->cameraGetFocusRatio(&autoFocus), readBack);
    QCOMPARE(int(autoFocus), 1);  // the simulated camera starts with auto focus on
    QCOMPARE(camera.device->cameraGetFocusRatio(nullptr), readBack);
}

void tst_UvcCamera::focusReads_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("percentage");  // -1: refused
    QTest::newRow("100..200, 150") << 100 << 200 << 150 << 50;
    // The current value used to go into the percentage unbounded (-18, 1900).
    QTest::newRow("100..200, current 82 held at 0") << 100 << 200 << 82 << 0;
    QTest::newRow("100..200, current 2000 held at 100") << 100 << 200 << 2000 << 100;
    // Used to fail: one position is 0 %.
    QTest::newRow("min equals max: 0") << 40 << 40 << 40 << 0;
    // Used to be taken as a range; now refused.
    QTest::newRow("min above max refused") << 200 << 100 << 150 << -1;
}

void tst_UvcCamera::focusReads()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, current);
    QFETCH(int, percentage);
    CommandCamera camera(withRange(kFocus, min, max, current));
    if (percentage < 0) {
        const QByteArray refused = "focus range: " + QByteArray::number(min) + ' '
                                   + QByteArray::number(max) + " refused: minimum above maximum";
        QTest::ignoreMessage(QtCriticalMsg, refused.constData());
        QTest::ignoreMessage(QtCriticalMsg, "get focus range failed");
    }
    uint8_t autoFocus = 7;
    QCOMPARE(camera.device->cameraGetFocusRatio(&autoFocus), percentage);
    QCOMPARE(int(autoFocus), percentage < 0 ? 7 : 1);  // written only on success
}

void tst_UvcCamera::focusReadKeepsOutputOnFailure()
{
    uint8_t autoFocus = 7;
    CommandCamera noAuto(without(UvcUnitKind::CameraTerminal, kFocusAuto));
    QCOMPARE(noAuto.device->cameraGetFocusRatio(&autoFocus), -1);
    QCOMPARE(int(autoFocus), 7);
    QCOMPARE(noAuto.device->cameraGetAutoFocus(), -1);
}

void tst_UvcCamera::autoFocusAndAntiFlicker()
{
    CommandCamera camera;
    QCOMPARE(camera.device->cameraSetAutoFocus(false), 0);
    QCOMPARE(ct(camera, kFocusAuto), QByteArray("00"));
    QCOMPARE(countRequests(camera, UvcRequest::GetMax, kFocus), 1);  // the range came first
    QCOMPARE(camera.device->cameraGetAutoFocus(), 0);
    QCOMPARE(camera.device->cameraSetAutoFocus(true), 0);
    QCOMPARE(camera.device->cameraGetAutoFocus(), 1);

    QCOMPARE(camera.device->cameraSetAntiFlicker(2), 0);
    QCOMPARE(camera.camera->controlValue(UvcUnitKind::ProcessingUnit, kPowerLine).toHex(), QByteArray("02"));
    QCOMPARE(camera.device->cameraGetAntiFlicker(), 2);
    QCOMPARE(camera.device->cameraSetAntiFlicker(0x100), 0);  // the low byte goes
    QCOMPARE(camera.device->cameraGetAntiFlicker(), 0);

    CommandCamera noPowerLine(without(UvcUnitKind::ProcessingUnit, kPowerLine));
    QCOMPARE(noPowerLine.device->cameraSetAntiFlicker(1), -1);
    QCOMPARE(noPowerLine.device->cameraGetAntiFlicker(), -1);
}

void tst_UvcCamera::queuedFrames_data()
{
    QTest::addColumn<Command>("call");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("sleep") << Command([](UvcDevice& d) { return d.cameraSetDevRunStatus(UvcDevice::DevStatusSleep); })
        << 0x13C2 << padded60("AA000E10 0000000000 E1 13C2 0103");
    QTest::newRow("resume") << Command([](UvcDevice& d) { return d.cameraSetDevRunStatus(UvcDevice::DevStatusResume); })
        << 0x13C2 << padded60("AA000E10 0000000000 E1 13C2 0101");
}

void tst_UvcCamera::queuedFrames()
{
    QFETCH(Command, call);
    QFETCH(int, command);
    QFETCH(QByteArray, expected);
    CommandCamera camera;
    QCOMPARE(call(*camera.device), 0);
    QCOMPARE(camera.waitForFrame(uint16_t(command)).toHex(), expected.toHex());
    QCOMPARE(camera.camera->droppedFrames(), 0);
}

void tst_UvcCamera::blockingResults_data()
{
    QTest::addColumn<bool>("upgradeMode");  // else the upgrade indication
    QTest::addColumn<QByteArray>("replyData");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray indicate = padded60("AA000D12 0000000000 E1 8001 01");
    const QByteArray mode = padded60("AA000D12 0000000000 E8 8066 01");
    QTest::newRow("indicate, 0") << false << QByteArray::fromHex("00") << 0 << indicate;
    QTest::newRow("indicate, 5") << false << QByteArray::fromHex("0511") << 5 << indicate;
    QTest::newRow("indicate, 0xFF reads -1") << false << QByteArray::fromHex("FF") << -1 << indicate;
    // A reply without data bytes used to read as 0, a success.
    QTest::newRow("indicate, no data") << false << QByteArray() << -1 << indicate;
    QTest::newRow("mode, 0") << true << QByteArray::fromHex("00") << 0 << mode;
    QTest::newRow("mode, 0x80 reads -128") << true << QByteArray::fromHex("80") << -128 << mode;
    QTest::newRow("mode, no data") << true << QByteArray() << -1 << mode;
}

void tst_UvcCamera::blockingResults()
{
    QFETCH(bool, upgradeMode);
    QFETCH(QByteArray, replyData);
    QFETCH(int, result);
    QFETCH(QByteArray, expected);
    SimCameraModel model;
    model.replies.insert(upgradeMode ? 0x8066 : 0x8001, replyData);
    CommandCamera camera(model);
    if (replyData.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg, "Reply too short: 0 data bytes, needed 1");
    QCOMPARE(upgradeMode ? camera.device->setUgMode(1) : camera.device->cameraIndicateUpgrade(), result);
    QCOMPARE(camera.framesFor(upgradeMode ? 0x8066 : 0x8001).value(0).toHex(), expected.toHex());
}

void tst_UvcCamera::factoryReset_data()
{
    QTest::addColumn<SimKnobs>("knobs");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("taken");  // the camera took a copy of the frame
    SimKnobs knobs;
    QTest::newRow("confirmed") << knobs << int(UvcDevice::kResetConfirmed) << true;
    knobs.resultCode = 1;
    QTest::newRow("refused by the camera") << knobs << -1 << true;
    knobs = SimKnobs();
    knobs.noReply = true;
    QTest::newRow("taken, never answered") << knobs << int(UvcDevice::kResetUnanswered) << true;
    knobs = SimKnobs();
    knobs.setFailsOnSelector = 2;
    // Used to give 0 once queued, the failed writes only logged.
    QTest::newRow("never written") << knobs << -1 << false;
}

// The reset asks for the camera's answer and waits for it.
void tst_UvcCamera::factoryReset()
{
    QFETCH(SimKnobs, knobs);
    QFETCH(int, result);
    QFETCH(bool, taken);
    CommandCamera camera;
    camera.camera->setKnobs(knobs);
    QCOMPARE(camera.device->cameraRestoreFactorySettings(), result);
    const QByteArray expected = padded60("AA000D12 0000000000 E1 13C4 01");
    int written = 0;
    for (const SimRequestRecord& record : camera.requestsOn(2, UvcRequest::SetCur)) {
        QByteArray frame = record.data;
        frame.replace(4, 5, QByteArray(5, '\0'));
        QCOMPARE(frame.toHex(), expected.toHex());
        written += record.result == 60 ? 1 : 0;
    }
    QCOMPARE(written > 0, taken);  // a resend may come too late to be written
    QCOMPARE(camera.device->queuedCount(), 0);
}

void tst_UvcCamera::devRunStatus()
{
    SimCameraModel model;
    model.replies.insert(0x13C2, QByteArray::fromHex("FE"));
    CommandCamera camera(model);
    int status = 0;
    QCOMPARE(camera.device->cameraGetDevRunStatus(&status), 0);
    QCOMPARE(status, -2);
    QCOMPARE(camera.framesFor(0x13C2).value(0).toHex(), padded60("AA000E12 0000000000 E1 13C2 0000").toHex());

    StatusReceiver receiver;
    QCOMPARE(camera.device->cameraGetDevRunStatus(nullptr, QSharedPointer<QString>::create("onDevStatus"),
                                                  &receiver, UvcDevice::GetMethodNonBlock),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.value, 0xFE, 3000);  // the receiver's road passes the byte

    camera.camera->clearRequests();
    QCOMPARE(camera.device->cameraGetDevRunStatus(nullptr), -1);  // blocking needs somewhere to write
    QThread::msleep(20);
    QVERIFY(camera.framesFor(0x13C2).isEmpty());

    // A failed query leaves the status as it was.
    SimKnobs knobs = camera.camera->knobs();
    knobs.resultCode = 6;
    camera.camera->setKnobs(knobs);
    status = 42;
    QTest::ignoreMessage(QtCriticalMsg, "Error occurred in sendMsgSync, ret_val = 6");
    QCOMPARE(camera.device->cameraGetDevRunStatus(&status), -1);
    QCOMPARE(status, 42);
}

void tst_UvcCamera::runStatusShowsInTheStatusBlock_data()
{
    QTest::addColumn<int>("productIndex");
    QTest::addColumn<int>("told");
    QTest::addColumn<int>("stateByte");  // where the family reports the run state
    QTest::addColumn<int>("runState");
    // The camera used to keep its old state, so the window woke it again.
    QTest::newRow("Orla sleeps") << 4 << 3 << 2 << int(CameraStatus::RunSleeping);
    QTest::newRow("Orla resumes") << 4 << 1 << 2 << int(CameraStatus::RunRunning);
    QTest::newRow("Zuki sleeps") << 2 << 3 << 9 << int(CameraStatus::RunSleeping);
    QTest::newRow("Zuki resumes") << 2 << 1 << 9 << int(CameraStatus::RunNormal);
}

void tst_UvcCamera::runStatusShowsInTheStatusBlock()
{
    QFETCH(int, productIndex);
    QFETCH(int, told);
    QFETCH(int, stateByte);
    QFETCH(int, runState);
    SimCameraModel model;
    model.productIndex = uint8_t(productIndex);
    model.statusBlock[stateByte] = char(told == UvcDevice::DevStatusSleep ? 1 : 3);  // the other state
    CommandCamera camera(model);
    QCOMPARE(camera.device->cameraSetDevRunStatus(UvcDevice::DevStatus(told)), 0);
    QVERIFY(!camera.waitForFrame(0x13C2).isEmpty());
    CameraStatus status;
    QVERIFY(camera.device->getCameraStatus(status));
    QCOMPARE(int(status.at(stateByte)), told);
    QCOMPARE(int(status.runState(camera.device->getProductType())), runState);
}

void tst_UvcCamera::guards_data()
{
    QTest::addColumn<Command>("call");
    QTest::addColumn<bool>("inited");
    QTest::addColumn<bool>("netMode");
    QTest::addColumn<bool>("mainSystem");
    QTest::addColumn<QString>("refusal");  // empty: the command reaches the camera

    const QList<QPair<const char*, Command>> ins = {
        {"set zoom", [](UvcDevice& d) { return d.cameraSetZoomRatio(1.5, 100, 0); }},
        {"set zoom by frame", [](UvcDevice& d) { return d.cameraSetZoomRatio(1.5, 100, 1); }},
        {"get zoom", [](UvcDevice& d) { return int(d.cameraGetZoomRatio()); }},
        {"set auto focus", [](UvcDevice& d) { return d.cameraSetAutoFocus(true); }},
        {"get auto focus", [](UvcDevice& d) { return d.cameraGetAutoFocus(); }},
        {"set focus", [](UvcDevice& d) { return d.cameraSetFocusRatio(10); }},
        {"get focus", [](UvcDevice& d) { return d.cameraGetFocusRatio(nullptr); }},
        {"set anti-flicker", [](UvcDevice& d) { return d.cameraSetAntiFlicker(1); }},
        {"get anti-flicker", [](UvcDevice& d) { return d.cameraGetAntiFlicker(); }},
        {"factory reset", [](UvcDevice& d) { return d.cameraRestoreFactorySettings(); }},
        {"set run status", [](UvcDevice& d) { return d.cameraSetDevRunStatus(UvcDevice::DevStatusSleep); }},
        {"get run status", [](UvcDevice& d) { int s; return d.cameraGetDevRunStatus(&s); }},
        {"indicate upgrade", [](UvcDevice& d) { return d.cameraIndicateUpgrade(); }},
        {"prepare log", [](UvcDevice& d) { return d.cameraPrepareLog(); }},
    };
    const QString notInited = QStringLiteral("Device has not been inited");
    const QString net = QStringLiteral("Net mode not supported");
    const QString notMain = QStringLiteral("Only supported in main sys");
    for (const auto& row : ins) {
        QTest::addRow("%s, not inited, net mode", row.first) << row.second << false << true << true << notInited;
        QTest::addRow("%s, net mode", row.first) << row.second << true << true << true << net;
        QTest::addRow("%s, not main system", row.first) << row.second << true << false << false << notMain;
    }
    const Command ugMode = [](UvcDevice& d) { return d.setUgMode(1); };
    QTest::newRow("upgrade mode, not inited") << ugMode << false << false << true << notInited;
    QTest::newRow("upgrade mode, net mode") << ugMode << true << true << false << net;
    QTest::newRow("upgrade mode, not main system, sent") << ugMode << true << false << false << QString();
}

void tst_UvcCamera::guards()
{
    QFETCH(Command, call);
    QFETCH(bool, inited);
    QFETCH(bool, netMode);
    QFETCH(bool, mainSystem);
    QFETCH(QString, refusal);
    SimCameraModel model;
    model.replies.insert(0x8066, QByteArray(1, '\0'));
    CommandCamera camera(model, inited);
    camera.device->setSystemType(mainSystem ? 1 : 0);
    if (netMode)
        camera.device->setDevMode(UvcDevice::DevModeNet);
    if (refusal.isEmpty()) {
        QCOMPARE(call(*camera.device), 0);
        QCOMPARE(camera.framesFor(0x8066).size(), 1);
        return;
    }
    QTest::ignoreMessage(refusal == QLatin1String("Net mode not supported") ? QtCriticalMsg : QtWarningMsg,
                         refusal.toUtf8().constData());
    QCOMPARE(call(*camera.device), -1);
    QThread::msleep(20);
    QVERIFY(camera.camera->writtenFrames().isEmpty());
    QVERIFY(!standardRequestsMade(camera));
}

void tst_UvcCamera::standardControlsRefusedWhileUpgrading()
{
    CommandCamera camera;
    camera.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    const QList<std::function<int()>> calls = {
        [&] { return camera.device->cameraSetZoomRatio(1.5, 100, 0); },
        [&] { return int(camera.device->cameraGetZoomRatio()); },
        [&] { return camera.device->cameraSetAutoFocus(true); },
        [&] { return camera.device->cameraGetAutoFocus(); },
        [&] { return camera.device->cameraSetFocusRatio(10); },
        [&] { return camera.device->cameraGetFocusRatio(nullptr); },
        [&] { return camera.device->cameraSetAntiFlicker(1); },
        [&] { return camera.device->cameraGetAntiFlicker(); },
    };
    for (const auto& call : calls) {
        QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
        QCOMPARE(call(), -1);
    }
    QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    QTest::ignoreMessage(QtCriticalMsg, "get zoom range failed");
    QCOMPARE(camera.device->normalizedZoom(300), 0);
    QVERIFY(!standardRequestsMade(camera));
}

void tst_UvcCamera::prepareLogSendsTwoShellLines()
{
    CommandCamera camera;  // the real pause between the lines: 500 ms
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(camera.device->cameraPrepareLog(), 0);
    QVERIFY(timer.elapsed() >= 500);
    QTRY_COMPARE_WITH_TIMEOUT(camera.framesFor(0x11CD).size(), 2, 3000);
    const QList<QByteArray> frames = camera.framesFor(0x11CD);
    QCOMPARE(frames[0].toHex(), (QByteArray::fromHex("AA003C12 0000000000 E1 11CD 14")
                                 + "cp /app/private/LogFac* /log/ai/ -rf &" + QByteArray(9, '\0')).toHex());
    QCOMPARE(frames[1].toHex(), (QByteArray::fromHex("AA003C12 0000000000 E1 11CD 14")
                                 + "cp /factory/*.json /log/ai/ &" + QByteArray(18, '\0')).toHex());
    QCOMPARE(camera.camera->droppedFrames(), 0);
}

void tst_UvcCamera::prepareLogWritesDirectlyInUpgradeMode()
{
    CommandCamera camera;
    UvcTiming timing = camera.device->timing();
    timing.logPrepareWaitMs = 5;
    camera.device->setTiming(timing);
    camera.device->setDevMode(UvcDevice::DevModeUvcUpgrade);  // the device thread pauses
    QCOMPARE(camera.device->cameraPrepareLog(), 0);
    QCOMPARE(camera.framesFor(0x11CD).size(), 2);  // written before the call returned
    QCOMPARE(camera.device->queuedCount(), 0);

    // A failed first line does not stop the second, but the failure is
    // reported: the logs the camera was to gather are not in place.
    camera.camera->clearRequests();
    SimKnobs knobs = camera.camera->knobs();
    knobs.setFailsOnSelector = 2;
    camera.camera->setKnobs(knobs);
    QCOMPARE(camera.device->cameraPrepareLog(), -1);
    int writes = 0;
    for (const SimRequestRecord& record : camera.camera->requests())
        writes += record.request == UvcRequest::SetCur && record.selector == 2 ? 1 : 0;
    QCOMPARE(writes, 2);
}

void tst_UvcCamera::shellLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("46 characters fill the frame") << QByteArray(46, 'x') << true;
    // Used to be cut to 46 characters and run as another command.
    QTest::newRow("47 characters refused") << QByteArray(47, 'x') << false;
    QTest::newRow("empty line") << QByteArray() << true;
}

void tst_UvcCamera::shellLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    ProtocolMsg::FrmPacket frame;
    if (!accepted)
        QTest::ignoreMessage(QtWarningMsg, "Shell line too long for one frame: 47 bytes");
    QCOMPARE(UvcDevice::makeShellFrame(line, frame), accepted);
    if (!accepted)
        return;
    const QByteArray bytes(reinterpret_cast<const char*>(frame.bytes), 60);
    QCOMPARE(frame.length(), 60);
    QCOMPARE(int(frame.addresses()), 0xE1);
    QCOMPARE(int(frame.command()), 0x11CD);
    QCOMPARE(int(bytes[12]), 0x14);
    QCOMPARE(bytes.mid(13), line + QByteArray(47 - line.size(), '\0'));
}

QTEST_GUILESS_MAIN(tst_UvcCamera)
#include "tst_uvccamera.moc"
