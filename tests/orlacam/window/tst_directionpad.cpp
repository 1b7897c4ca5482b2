// The direction pad against a simulated Orla: the relative pan/tilt bytes
// for pointer positions and arrow keys, the stop on every kind of release,
// the movement's report some statuses after the stop, the reset to the
// centre and moves to a stored gimbal position.

#include "support/CloudFixture.h"
#include "hotkey/QHotkey.h"
#include "orlacam/window/DirectionHandler.h"
#include "support/SimWindowSupport.h"
#include "support/TestHome.h"

#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 8000;
constexpr uint8_t kPanTiltAbsolute = 0x0D;
constexpr uint8_t kPanTiltRelative = 0x0E;
const QByteArray kStop = QByteArray::fromHex("00000000");

// Relative pan/tilt payloads: pan direction and speed, tilt direction and
// speed (the simulated Orla's top speeds are 20 and 10).
QList<QByteArray> relatives()
{
    return setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, kPanTiltRelative);
}

// Payloads of the gimbal's speed-and-position frames (command 0x2006).
QList<QByteArray> speedPositions()
{
    QList<QByteArray> payloads;
    for (const QByteArray& frame : sim().camera(kOrlaLocation)->writtenFrames()) {
        if (uint8_t(frame[10]) == 0x20 && uint8_t(frame[11]) == 0x06)
            payloads << frame.mid(12, 12);
    }
    return payloads;
}

} // namespace

class tst_DirectionPad : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;
    std::unique_ptr<MainUserUi> window_;

    DirectionHandler* pad() const { return window_->directionPad(); }
    void pressAndMove(const QPoint& point, const QByteArray& expected);
    QHotkey* hotkeyFor(const QList<QHotkey*>& set, const QString& key) const;
    bool arrow(const QString& set, const QString& step);
    QList<QJsonObject> reports(const QString& action) const;

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pointerSpeeds_data();
    void pointerSpeeds();
    void shortClickSendsNothing();
    void arrowKeys_data();
    void arrowKeys();
    void secondArrowKeepsThePadGoing_data();
    void secondArrowKeepsThePadGoing();
    void windowLosingFocus_data();
    void windowLosingFocus();
    void movementReportedAfterStatuses_data();
    void movementReportedAfterStatuses();
    void stopWhenTheCameraChanges();
    void closingWhileHeldStopsTheCamera();
    void disabledPadIgnoresInput();
    void resetCentres();
    void moveToStoredPosition_data();
    void moveToStoredPosition();
};

void tst_DirectionPad::initTestCase()
{
    QVERIFY(home_.isValid());
    useSimulatedCameras();
    QCOMPARE(sim().devices().size(), 2);
    QVERIFY(server_.listen());
    pointServersAt(server_);
}

void tst_DirectionPad::init()
{
    QByteArray status(60, '\0');
    status[2] = 1;  // running, media mode normal
    sim().camera(kOrlaLocation)->setStatusBlock(status);
    QVERIFY(openWindowOn(window_, kOrlaSn, kOrlaLocation, kBoundMs));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(pad()->widgetState());
}

void tst_DirectionPad::cleanup()
{
    window_.reset();
    QTest::qWait(20);
    QVERIFY(UvcDevices::get().devList().isEmpty());
}

void tst_DirectionPad::pressAndMove(const QPoint& point, const QByteArray& expected)
{
    QTest::mousePress(pad(), Qt::LeftButton, Qt::NoModifier, point);
    QTRY_VERIFY_WITH_TIMEOUT(!relatives().isEmpty(), kBoundMs);
    QCOMPARE(relatives().first().toHex(), expected.toHex());
}

QHotkey* tst_DirectionPad::hotkeyFor(const QList<QHotkey*>& set, const QString& key) const
{
    for (QHotkey* candidate : set) {
        if (candidate->shortcut() == QKeySequence(key))
            return candidate;
    }
    return nullptr;
}

// An arrow pressed ("+Left") or let go ("-Left") through a key set: in the
// window with Alt, or as the hotkey facility delivers a global or remote one.
bool tst_DirectionPad::arrow(const QString& set, const QString& step)
{
    const bool press = step.startsWith(QLatin1Char('+'));
    const QString name = step.mid(1);
    if (set == QLatin1String("in-window")) {
        QTest::simulateEvent(window_.get(), press, QKeySequence(name)[0], Qt::AltModifier, QString(), false);
        return true;
    }
    const bool remote = set == QLatin1String("remote");
    QHotkey* hotkey = hotkeyFor(remote ? window_->remoteHotkeys() : window_->globalHotkeys(),
                                QLatin1String(remote ? "Ctrl+Alt+" : "Alt+") + name);
    if (hotkey && press)
        emit hotkey->activated();
    else if (hotkey)
        emit hotkey->released();
    return hotkey;
}

QList<QJsonObject> tst_DirectionPad::reports(const QString& action) const
{
    QList<QJsonObject> found;
    for (const FakeCloudServer::Request& request : server_.requests()) {
        if (request.json().value(QStringLiteral("action")).toString() == action)
            found << request.json();
    }
    return found;
}

// The pad is 200 x 200 with its centre at (100, 100); the knob reaches
// 90 - 22 = 68 px from it.
void tst_DirectionPad::pointerSpeeds_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("right edge") << QPoint(168, 100) << QByteArray::fromHex("01140000");
    QTest::newRow("half way right") << QPoint(134, 100) << QByteArray::fromHex("010a0000");
    QTest::newRow("top edge: tilt up") << QPoint(100, 32) << QByteArray::fromHex("0000010a");
    QTest::newRow("bottom edge: tilt down") << QPoint(100, 168) << QByteArray::fromHex("0000ff0a");
    QTest::newRow("far outside left: held on the circle") << QPoint(-80, 100) << QByteArray::fromHex("ff140000");
    // Held on the circle at the whole pixel (51, 148): tilt 10 x 0.6998.
    QTest::newRow("corner down-left") << QPoint(0, 200) << QByteArray::fromHex("ff0eff06");
}

void tst_DirectionPad::pointerSpeeds()
{
    QFETCH(QPoint, point);
    QFETCH(QByteArray, expected);
    pressAndMove(point, expected);
    QTest::qWait(3 * DirectionHandler::kRepeatMs);
    QCOMPARE(relatives().size(), 1);  // a still knob repeats nothing new
    QTest::mouseRelease(pad(), Qt::LeftButton, Qt::NoModifier, point);
    QTRY_COMPARE_WITH_TIMEOUT(relatives().last().toHex(), kStop.toHex(), kBoundMs);
    QCOMPARE(relatives().size(), 2);
}

void tst_DirectionPad::shortClickSendsNothing()
{
    QTest::mouseClick(pad(), Qt::LeftButton, Qt::NoModifier, QPoint(168, 100));
    QTest::qWait(2 * DirectionHandler::kRepeatMs);
    QVERIFY(relatives().isEmpty());
}

void tst_DirectionPad::arrowKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("left") << int(Qt::Key_Left) << QByteArray::fromHex("ff140000");
    QTest::newRow("up") << int(Qt::Key_Up) << QByteArray::fromHex("0000010a");
    QTest::newRow("right") << int(Qt::Key_Right) << QByteArray::fromHex("01140000");
    QTest::newRow("down") << int(Qt::Key_Down) << QByteArray::fromHex("0000ff0a");
}

// The hotkeys press through the window; any arrow key's release stops.
void tst_DirectionPad::arrowKeys()
{
    QFETCH(int, key);
    QFETCH(QByteArray, expected);
    window_->pressDirection(key);
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 1, kBoundMs);
    QCOMPARE(relatives().first().toHex(), expected.toHex());
    QTest::keyRelease(window_.get(), Qt::Key(key));
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 2, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
    QVERIFY(!pad()->isHeld());
}

// Arrows pressed (+) and let go (-), each step with the frames the camera
// has by then (u up, l left, s stop): while an arrow is still held the pad
// goes its way, and the last one let go stops it. A let-go marked ~ is
// followed at once, within an in-window release's wait for a repeat.
void tst_DirectionPad::secondArrowKeepsThePadGoing_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QStringList>("steps");
    for (const char* set : {"in-window", "global", "remote"}) {
        QTest::addRow("%s, Up let go first", set) << set << QStringList{"+Up u", "+Left ul", "-Up ul", "-Left uls"};
        QTest::addRow("%s, Left let go first", set)
            << set << QStringList{"+Up u", "+Left ul", "-Left ulu", "-Up ulus"};
    }
    // Left's release, taken for a repeat's, used to stay held: Up's let-go turned the pad left again.
    QTest::newRow("released, next pressed within the grace")
        << "in-window" << QStringList{"+Left l", "-Left~ l", "+Up lu", "-Up lus"};
}

void tst_DirectionPad::secondArrowKeepsThePadGoing()
{
    QFETCH(QString, set);
    QFETCH(QStringList, steps);
    const QHash<QChar, QByteArray> frames{{'u', QByteArray::fromHex("0000010a")},
                                          {'l', QByteArray::fromHex("ff140000")},
                                          {'s', kStop}};
    window_->onShortcutRangeChanged(0);
    for (const QString& step : qAsConst(steps)) {
        const QString action = step.section(QLatin1Char(' '), 0, 0);
        const bool quick = action.endsWith(QLatin1Char('~'));
        QVERIFY(arrow(set, quick ? action.chopped(1) : action));
        if (!quick)  // an in-window release is taken once no repeat's press came
            QTRY_VERIFY_WITH_TIMEOUT(!window_->arrowReleaseWaits(), kBoundMs);
        QList<QByteArray> expected;
        for (const QChar frame : step.section(QLatin1Char(' '), 1))
            expected << frames.value(frame);
        QTRY_COMPARE_WITH_TIMEOUT(relatives(), expected, kBoundMs);
        QCOMPARE(pad()->isHeld(), expected.last() != kStop);
    }
}

// The window loses the focus while something holds the pad. The pointer's
// and an in-window arrow's release would go to another window: the pad stops.
// A system-wide hotkey's grab takes the focus for as long as its key is
// held, and its release still comes: the pad goes on until then.
void tst_DirectionPad::windowLosingFocus_data()
{
    QTest::addColumn<QString>("holder");  // the pointer or a key set
    QTest::addColumn<QString>("steps");  // arrows pressed and let go, a frame each
    QTest::addColumn<bool>("stops");
    QTest::newRow("pointer") << "pointer" << "" << true;
    QTest::newRow("in-window arrow") << "in-window" << "+Left" << true;
    // Up took over from Left let go: it used to drive on after the focus went.
    QTest::newRow("in-window, second arrow let go") << "in-window" << "+Up +Left -Left" << true;
    QTest::newRow("global arrow") << "global" << "+Right" << false;
    QTest::newRow("remote controller's arrow") << "remote" << "+Left" << false;
}

void tst_DirectionPad::windowLosingFocus()
{
    QFETCH(QString, holder);
    QFETCH(QString, steps);
    QFETCH(bool, stops);
    if (holder == QLatin1String("pointer")) {
        pressAndMove(QPoint(168, 100), QByteArray::fromHex("01140000"));
    } else {
        if (holder == QLatin1String("in-window"))
            window_->onShortcutRangeChanged(0);
        for (const QString& step : steps.split(QLatin1Char(' ')))
            QVERIFY(arrow(holder, step));
        QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), steps.count(QLatin1Char(' ')) + 1, kBoundMs);
    }
    QVERIFY(pad()->isHeld());
    const int moves = relatives().size();

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->isActiveWindow(), kBoundMs);
    if (stops) {
        QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), moves + 1, kBoundMs);
        QCOMPARE(relatives().last().toHex(), kStop.toHex());
        QVERIFY(!pad()->isHeld());
        return;
    }
    QVERIFY(pad()->isHeld());
    QCOMPARE(relatives().size(), moves);
    QVERIFY(arrow(holder, QLatin1Char('-') + steps.mid(1)));
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), moves + 1, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
    QVERIFY(!pad()->isHeld());
}

// A movement is reported once the camera has sent 29 statuses after its
// stop: the count starts at 1 for the pointer, 31 for a key and 61 for the
// remote controller, and reports at 30, 60 and 90 with the mover's source.
void tst_DirectionPad::movementReportedAfterStatuses_data()
{
    QTest::addColumn<QString>("mover");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("trigger");
    QTest::newRow("pointer") << "pointer" << 1 << "MOUSE";
    QTest::newRow("arrow key") << "key" << 31 << "KEY";
    QTest::newRow("remote controller") << "remote" << 61 << "REMOTE";
}

void tst_DirectionPad::movementReportedAfterStatuses()
{
    QFETCH(QString, mover);
    QFETCH(int, start);
    QFETCH(QString, trigger);
    // Where the gimbal stands when the report reads it: 7 and -3 arc-seconds.
    QVERIFY(sim().camera(kOrlaLocation)->setControlValue(UvcUnitKind::CameraTerminal, kPanTiltAbsolute,
                                                         QByteArray::fromHex("07000000fdffffff")));
    QHotkey* remoteLeft = hotkeyFor(window_->remoteHotkeys(), QStringLiteral("Ctrl+Alt+Left"));
    QVERIFY(remoteLeft);
    if (mover == QLatin1String("pointer"))
        QTest::mousePress(pad(), Qt::LeftButton, Qt::NoModifier, QPoint(168, 100));
    else if (mover == QLatin1String("key"))
        window_->pressDirection(Qt::Key_Left);
    else
        emit remoteLeft->activated();  // as the hotkey facility delivers a press
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 1, kBoundMs);
    if (mover == QLatin1String("pointer"))
        QTest::mouseRelease(pad(), Qt::LeftButton, Qt::NoModifier, QPoint(168, 100));
    else if (mover == QLatin1String("key"))
        QTest::keyRelease(window_.get(), Qt::Key_Left);
    else
        emit remoteLeft->released();
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 2, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
    QCOMPARE(window_->padReportCounter(), start);
    server_.clear();

    // The camera's statuses, one by one (the test window does not poll).
    CameraStatus running;
    running.bytes[2] = 1;
    const auto status = [&] {
        window_->setLastUserActionMs(0);  // no command is in flight
        window_->onDevStateUpdate(running);
    };
    for (int i = 0; i < 28; ++i)
        status();
    QCOMPARE(window_->padReportCounter(), start + 28);
    status();
    QCOMPARE(window_->padReportCounter(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(reports(QStringLiteral("set_crop_area")).size(), 1, kBoundMs);
    const QJsonObject report = reports(QStringLiteral("set_crop_area")).first();
    QCOMPARE(report.value("trigger").toString(), trigger);
    QCOMPARE(report.value("comment").toString(), QString());
    QCOMPARE(report.value("data").toString(), QStringLiteral("cx=7,cy=-3"));
    QCOMPARE(report.value("sn").toString(), kOrlaSn);
    for (int i = 0; i < 100; ++i)
        status();
    QCOMPARE(window_->padReportCounter(), 0);  // reported once; the next movement counts anew
}

void tst_DirectionPad::stopWhenTheCameraChanges()
{
    pressAndMove(QPoint(100, 32), QByteArray::fromHex("0000010a"));
    QTest::mouseClick(buttonFor(*window_, kZukiSn), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window_->currentSn(), kZukiSn, kBoundMs);
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 2, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
}

// The window closes under a held knob: the camera gets its stop, and the
// window's teardown hiding the pad reaches no half-destroyed window.
void tst_DirectionPad::closingWhileHeldStopsTheCamera()
{
    pressAndMove(QPoint(168, 100), QByteArray::fromHex("01140000"));
    window_.reset();
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 2, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
}

void tst_DirectionPad::disabledPadIgnoresInput()
{
    pressAndMove(QPoint(168, 100), QByteArray::fromHex("01140000"));
    pad()->setWidgetState(false);  // as when auto framing takes the view
    QTRY_COMPARE_WITH_TIMEOUT(relatives().size(), 2, kBoundMs);
    QCOMPARE(relatives().last().toHex(), kStop.toHex());
    QTest::mousePress(pad(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 32));
    window_->pressDirection(Qt::Key_Left);
    QTest::qWait(3 * DirectionHandler::kRepeatMs);
    QCOMPARE(relatives().size(), 2);
}

void tst_DirectionPad::resetCentres()
{
    QTest::mouseClick(window_->findChild<QPushButton*>(QStringLiteral("pbDirectionReset")), Qt::LeftButton);
    const auto absolutes = [] {
        return setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, kPanTiltAbsolute);
    };
    QTRY_COMPARE_WITH_TIMEOUT(absolutes().size(), 1, kBoundMs);
    QCOMPARE(absolutes().first().toHex(), QByteArray(8, '\0').toHex());
}

void tst_DirectionPad::moveToStoredPosition_data()
{
    QTest::addColumn<QByteArray>("attitude");  // the gimbal's reply: three signed 16-bit values
    QTest::addColumn<QList<int>>("target");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QByteArray>("expected");  // speeds x 100, then the target
    QTest::newRow("longest way at speed") << QByteArray::fromHex("000000000000") << QList<int>{100, 50, 0} << 1.0
                                          << QByteArray::fromHex("640032000000 640032000000");
    QTest::newRow("backwards") << QByteArray::fromHex("c8000000f6ff") << QList<int>{0, 0, -10} << 0.5
                               << QByteArray::fromHex("ceff00000000 00000000f6ff");
    QTest::newRow("full range, speed held to 16 bits")
        << QByteArray::fromHex("0080ff7f0000") << QList<int>{32767, -32768, 0} << 1000.0
        << QByteArray::fromHex("bc7f44800000 ff7f00800000");
    QTest::newRow("already there") << QByteArray::fromHex("0a0014001e00") << QList<int>{10, 20, 30} << 1.0
                                   << QByteArray();
    QTest::newRow("zero speed") << QByteArray::fromHex("000000000000") << QList<int>{10, 0, 0} << 0.0
                                << QByteArray();
}

void tst_DirectionPad::moveToStoredPosition()
{
    QFETCH(QByteArray, attitude);
    QFETCH(QList<int>, target);
    QFETCH(double, speed);
    QFETCH(QByteArray, expected);
    sim().camera(kOrlaLocation)->setReply(0x2001, attitude);
    window_->onMoveToPrePos(short(target[0]), short(target[1]), short(target[2]), speed, 1.5);
    if (expected.isEmpty()) {
        QTest::qWait(100);
        QVERIFY(speedPositions().isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(speedPositions().size(), 1, kBoundMs);
        QCOMPARE(speedPositions().first().toHex(), expected.toHex());
    }
    QCOMPARE(window_->findChild<QSlider*>(QStringLiteral("slZoom"))->value(), 50);
}

QTEST_MAIN(tst_DirectionPad)
#include "tst_directionpad.moc"
