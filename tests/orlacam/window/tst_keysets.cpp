// The main window's key sets against a simulated Orla: every key of the
// in-window set (key events), of the global set and of the remote set
// (pressed from outside with xdotool on the test's X server) puts its
// command on the wire and reports its action with the set's source;
// switching between the sets, the resting sleep key, the shared zoom step
// times and the keys' conditions.

#include "support/CloudFixture.h"
#include "comm/AppPaths.h"
#include "hotkey/QHotkey.h"
#include "orlacam/window/DirectionHandler.h"
#include "support/SimWindowSupport.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 8000;

enum Set { InWindow = 0, Global = 1, Remote = 2 };
// What a key is checked by: a camera-terminal control (its selector: zoom,
// absolute or relative pan/tilt), parameter records, the sleep command, the
// selected button, the setting page, or that nothing goes out.
enum Wire { Zoom = 0x0B, Absolute = 0x0D, Pan = 0x0E, Records = 1, Sleep, Select, Page, Nothing };

struct KeyCase
{
    const char* key;
    const char* state;  // "", "zoom50", "bgOn", "afOn", "asleep"
    Wire wire;
    const char* expected;  // hex words, or the button index for Select
    const char* action;    // the action reported, if any
};

const KeyCase kWindowCases[] = {
    {"Alt+Up", "", Pan, "0000010a 00000000", nullptr},
    {"Alt+Down", "", Pan, "0000ff0a 00000000", nullptr},
    {"Alt+Left", "", Pan, "ff140000 00000000", nullptr},
    {"Alt+Right", "", Pan, "01140000 00000000", nullptr},
    {"Alt+1", "", Select, "0", nullptr},
    {"Alt+2", "", Select, "1", nullptr},
    {"Alt+3", "", Select, "-1", nullptr},
    {"Alt+4", "", Select, "-1", nullptr},
    {"Alt+I", "", Zoom, "8c00", nullptr},
    {"Alt+O", "zoom50", Zoom, "0401", nullptr},
    {"Alt+J", "", Zoom, "f401", nullptr},
    {"Alt+K", "zoom50", Zoom, "6400", nullptr},
    {"Alt+R", "", Absolute, "0000000000000000", "reset_crop_area"},
    {"Alt+Z", "bgOn", Records, "000100", "set_background_mode_enabled"},
    {"Alt+S", "", Page, "", nullptr},
    {"Alt+T", "", Sleep, "", nullptr},
    {"Alt+D", "", Records, "040102", "set_view_mode"},
    {"Alt+F", "", Records, "040101", "set_view_mode"},
    {"Alt+G", "", Records, "040100", "set_view_mode"},
    {"Alt+B", "", Records, "000101 050112", "set_background_mode_option"},
    {"Alt+V", "", Records, "000101 050101", "set_background_mode_option"},
    {"Alt+C", "", Records, "000101 050111", "set_background_mode_option"},
    {"Alt+N", "", Records, "000102 0d020100", "set_auto_framing_mode"},
    {"Alt+M", "", Records, "000102 0d0200ff", "set_auto_framing_mode"},
    // Conditions: asleep or auto framing on, the camera keys do nothing; the
    // background keys do nothing on a camera without a virtual background.
    {"Alt+D", "asleep", Nothing, "", nullptr},
    {"Alt+Up", "afOn", Nothing, "", nullptr},
    {"Alt+B", "zuki", Nothing, "", nullptr},
};

const KeyCase kRemoteCases[] = {
    {"Ctrl+Alt+9", "", Records, "040102", "set_view_mode"},
    {"Ctrl+Alt+8", "afOn", Records, "000100", "set_auto_framing_enabled"},
    {"Ctrl+Alt+7", "", Records, "000101", "set_background_mode_enabled"},
    {"Ctrl+Alt+6", "", Records, "000102", "set_auto_framing_enabled"},
    {"Ctrl+Alt+F", "", Zoom, "8c00", nullptr},
    {"Ctrl+Alt+H", "zoom50", Zoom, "0401", nullptr},
    {"Ctrl+Alt+0", "", Absolute, "0000000000000000", "reset_crop_area"},
    {"Ctrl+Alt+Up", "", Pan, "0000010a 00000000", nullptr},
    {"Ctrl+Alt+Down", "", Pan, "0000ff0a 00000000", nullptr},
    {"Ctrl+Alt+Left", "", Pan, "ff140000 00000000", nullptr},
    {"Ctrl+Alt+Right", "", Pan, "01140000 00000000", nullptr},
    {"Ctrl+Alt+T", "", Sleep, "", nullptr},
    {"Ctrl+Alt+1", "", Select, "0", nullptr},
    {"Ctrl+Alt+2", "", Select, "1", nullptr},
    {"Ctrl+Alt+7", "zuki", Nothing, "", nullptr},
};

const char* const kTriggers[] = {"KEY", "KEY", "REMOTE"};

bool haveXServer()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
           && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// "Ctrl+Alt+Up" is "ctrl+alt+Up" to xdotool, "Alt+D" "alt+d".
bool pressFromOutside(QString key)
{
    const int last = key.lastIndexOf(QLatin1Char('+')) + 1;
    key = key.left(last).toLower() + (key.size() - last == 1 ? key.mid(last).toLower() : key.mid(last));
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), key}) == 0;
}

QList<QByteArray> hexWords(const char* text)
{
    QList<QByteArray> words;
    for (const QByteArray& word : QByteArray(text).split(' ')) {
        if (!word.isEmpty())
            words << QByteArray::fromHex(word);
    }
    return words;
}

} // namespace

class tst_KeySets : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;
    std::unique_ptr<MainUserUi> window_;

    QSlider* zoomSlider() const { return window_->findChild<QSlider*>(QStringLiteral("slZoom")); }
    QList<QJsonObject> actions() const;

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void everyKeyDrivesTheCamera_data();
    void everyKeyDrivesTheCamera();
    void switchingBetweenTheSets();
    void sleepKeyRestsAndComesBackOnlyInItsSet();
    void zoomKeysShareTheirTimes();
    void heldArrowStartsAndStopsOnce_data();
    void heldArrowStartsAndStopsOnce();
    void heldHotkeyMovesUntilReleased_data();
    void heldHotkeyMovesUntilReleased();

private:
    void prepare(const QString& state = QString(), int zoom = 0);
};

// One window for all cases, the Orla selected: a window's start (cameras
// opened and announced) is what takes time.
void tst_KeySets::initTestCase()
{
    QVERIFY(home_.isValid());
    useSimulatedCameras();
    QCOMPARE(sim().devices().size(), 2);
    QVERIFY(server_.listen());
    pointServersAt(server_);
    GlobalParams::get().auto_framing_tips = true;
    window_ = std::make_unique<MainUserUi>(nullptr);
    window_->setTiming(fastWindowTiming());
    qApp->installEventFilter(window_.get());  // as the application does
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(QTest::qWaitFor([&] { return window_->devButtons().size() == 2
                                         && window_->devButtons().last()->hasDevice(); },
                            kBoundMs));
}

// The key table prepares each row itself.
void tst_KeySets::init()
{
    if (QTest::currentDataTag() == nullptr)
        prepare();
}

void tst_KeySets::cleanupTestCase()
{
    window_.reset();
    QTest::qWait(20);
    QVERIFY(UvcDevices::get().devList().isEmpty());
}

// The in-window set alone in force, the Orla selected with the panel as its
// status says (state "asleep", "bgOn", "afOn" or none) or the Zuki ("zuki"),
// the zoom at zoom, no switch locked, and what the cameras and the server got
// so far forgotten.
void tst_KeySets::prepare(const QString& state, int zoom)
{
    window_->onShortcutRangeChanged(0);
    window_->onRemoteCtrlEnabled(false);
    window_->on_pbCameraCtrl_clicked();
    for (const char* name : {"pbVirtualBg", "pbAutoFraming"})
        window_->findChild<QPushButton*>(QLatin1String(name))->blockSignals(false);
    QByteArray status(60, '\0');
    status[2] = state == QLatin1String("asleep") ? 3 : 1;
    status[0] = state == QLatin1String("bgOn") ? 1 : state == QLatin1String("afOn") ? 2 : 0;
    sim().camera(kOrlaLocation)->setStatusBlock(status);
    const QString sn = state == QLatin1String("zuki") ? kZukiSn : kOrlaSn;
    window_->onDevSelectedChanged(buttonFor(*window_, sn));
    QCOMPARE(window_->currentSn(), sn);
    UvcDevices::get().getDevBySn(sn)->setStatusReportEnabled(false);
    // Past the zoom throttle, so that the slider sends its position at once:
    // a throttled position would follow by timer, and on a loaded machine
    // that can land after the request log is cleared.
    QTest::qWait(150);
    zoomSlider()->setValue(zoom);
    QTest::qWait(150);  // past the zoom keys' step time
    sim().camera(kOrlaLocation)->clearRequests();
    sim().camera(kZukiLocation)->clearRequests();
    server_.clear();
}

QList<QJsonObject> tst_KeySets::actions() const
{
    QList<QJsonObject> found;
    for (const FakeCloudServer::Request& request : server_.requests()) {
        if (request.json().contains(QStringLiteral("action")))
            found << request.json();
    }
    return found;
}

void tst_KeySets::everyKeyDrivesTheCamera_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("wire");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("action");
    const auto add = [](Set set, const KeyCase& c) {
        const char* const names[] = {"in-window", "global", "remote"};
        QTest::addRow("%s %s %s", names[set], c.key, c.state)
            << int(set) << QString::fromLatin1(c.key) << QString::fromLatin1(c.state) << int(c.wire)
            << QByteArray(c.expected) << QString::fromLatin1(c.action);
    };
    for (const KeyCase& c : kWindowCases) {
        add(InWindow, c);
        add(Global, c);
    }
    for (const KeyCase& c : kRemoteCases)
        add(Remote, c);
}

void tst_KeySets::everyKeyDrivesTheCamera()
{
    QFETCH(int, set);
    QFETCH(QString, key);
    QFETCH(QString, state);
    QFETCH(int, wire);
    QFETCH(QByteArray, expected);
    QFETCH(QString, action);
    if (set != InWindow && !haveXServer())
        QSKIP("global keys need an X server and xdotool (DISPLAY is not set or xdotool is missing)");

    prepare(state, state == QLatin1String("zoom50") ? 50 : 0);
    if (wire == Select) {
        // Start from a button other than the one the key should choose.
        const int target = expected.toInt();
        window_->onDevSelectedChanged(window_->devButtons().at(target == 0 ? 1 : 0));
    }
    const QString selectedBefore = window_->currentSn();
    sim().camera(kOrlaLocation)->clearRequests();
    if (set == Global)
        window_->onShortcutRangeChanged(1);
    if (set == Remote)
        window_->onRemoteCtrlEnabled(true);

    if (set == InWindow) {
        const int combination = QKeySequence(key)[0];
        QTest::keyClick(window_.get(), Qt::Key(combination & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(combination & Qt::KeyboardModifierMask));
    } else {
        QVERIFY(pressFromOutside(key));
    }

    switch (wire) {
    case Zoom:
    case Absolute:
    case Pan:  // the press, and the release's stop
        QTRY_COMPARE_WITH_TIMEOUT(setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, uint8_t(wire)),
                                  hexWords(expected), kBoundMs);
        break;
    case Records:
        QTRY_COMPARE_WITH_TIMEOUT(paramRecords(kOrlaLocation), hexWords(expected), kBoundMs);
        break;
    case Sleep:
        QTRY_COMPARE_WITH_TIMEOUT(runStatusFrames(kOrlaLocation, 3), 1, kBoundMs);
        QVERIFY(!window_->isDevAwake());
        break;
    case Select: {
        const int target = expected.toInt();
        const QString wanted = target < 0 ? selectedBefore : window_->devButtons().at(target)->sn();
        QTRY_COMPARE_WITH_TIMEOUT(window_->currentSn(), wanted, kBoundMs);
        break;
    }
    case Page:
        QTRY_VERIFY_WITH_TIMEOUT(window_->settingWindow()->isVisible(), kBoundMs);
        break;
    case Nothing:
        QTest::qWait(300);
        QCOMPARE(paramRecords(kOrlaLocation), QList<QByteArray>());
        QCOMPARE(paramRecords(kZukiLocation), QList<QByteArray>());
        QCOMPARE(setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, Pan), QList<QByteArray>());
        break;
    }
    QCOMPARE(window_->actionSource(), SourceMouse);
    if (action.isEmpty())
        return;
    // Reports may arrive in any order; each of the row's carries its set's source.
    const auto reported = [&] {
        int found = 0;
        for (const QJsonObject& report : actions()) {
            if (report.value("action").toString() == action) {
                ++found;
                if (report.value("trigger").toString() != QLatin1String(kTriggers[set]))
                    return -1;
            }
        }
        return found;
    };
    QTRY_VERIFY_WITH_TIMEOUT(reported() != 0, kBoundMs);
    QVERIFY(reported() > 0);
}

// One of in-window and global in force, saved at once; the remote set apart.
void tst_KeySets::switchingBetweenTheSets()
{
    if (!haveXServer())
        QSKIP("needs an X server and xdotool (DISPLAY is not set or xdotool is missing)");
    const auto saved = [this](const char* key) {
        return QSettings(AppPaths::dataPath("config/kestro_macos.ini"), QSettings::IniFormat).value(QLatin1String(key));
    };
    const auto inForce = [this](bool global, bool remote) {
        for (QShortcut* shortcut : window_->localShortcuts())
            QCOMPARE(shortcut->isEnabled(), !global);
        for (QHotkey* hotkey : window_->globalHotkeys())
            QCOMPARE(hotkey->isRegistered(), global);
        for (QHotkey* hotkey : window_->remoteHotkeys())
            QCOMPARE(hotkey->isRegistered(), remote);
    };
    inForce(false, false);
    QVERIFY(pressFromOutside(QStringLiteral("Alt+D")));  // not grabbed: nothing
    QTest::qWait(300);
    QVERIFY(paramRecords(kOrlaLocation).isEmpty());

    // Ctrl+Shift+Z, as the setting page's switch does.
    QHotkey* toggle = nullptr;
    for (QHotkey* hotkey : window_->findChildren<QHotkey*>()) {
        if (hotkey->shortcut() == QKeySequence(QStringLiteral("Ctrl+Shift+Z")))
            toggle = hotkey;
    }
    QVERIFY(toggle);
    emit toggle->activated();
    inForce(true, false);
    QCOMPARE(saved("others/shortcut_range").toInt(), 1);
    QVERIFY(pressFromOutside(QStringLiteral("Alt+D")));
    QTRY_COMPARE_WITH_TIMEOUT(paramRecords(kOrlaLocation).size(), 1, kBoundMs);

    window_->onShortcutRangeChanged(2);
    inForce(true, false);
    window_->onRemoteCtrlEnabled(true);
    inForce(true, true);
    QCOMPARE(saved("others/shortcut_ext").toBool(), true);
    window_->onShortcutRangeChanged(0);
    window_->onRemoteCtrlEnabled(false);
    inForce(false, false);
    QCOMPARE(saved("others/shortcut_range").toInt(), 0);
}

// Alt+T rests for its interval; a set switched off meanwhile keeps it off.
void tst_KeySets::sleepKeyRestsAndComesBackOnlyInItsSet()
{
    QShortcut* sleepKey = window_->localShortcuts().at(15);
    QCOMPARE(sleepKey->key(), QKeySequence(QStringLiteral("Alt+T")));
    // The rest starts with the key's handler; the command reaches the wire
    // later, on a loaded machine after the (short) rest may have ended.
    QTest::keyClick(window_.get(), Qt::Key_T, Qt::AltModifier);
    QVERIFY(!sleepKey->isEnabled());
    QVERIFY(window_->localShortcuts().at(14)->isEnabled());  // the others are not resting
    QTRY_COMPARE_WITH_TIMEOUT(runStatusFrames(kOrlaLocation, 3), 1, kBoundMs);

    QElapsedTimer clock;
    clock.start();
    const int restMs = window_->timing().sleepKeyRestMs;
    QTRY_VERIFY_WITH_TIMEOUT(sleepKey->isEnabled(), restMs + kBoundMs);
    QVERIFY2(clock.elapsed() >= restMs * 7 / 8, qPrintable(QString::number(clock.elapsed())));

    QTest::keyClick(window_.get(), Qt::Key_T, Qt::AltModifier);  // wakes the camera
    QVERIFY(!sleepKey->isEnabled());
    window_->onShortcutRangeChanged(1);
    QTRY_COMPARE_WITH_TIMEOUT(runStatusFrames(kOrlaLocation, 1), 1, kBoundMs);
    QTest::qWait(restMs + 500);
    QVERIFY(!sleepKey->isEnabled());
}

// Zoom-in keys and shortcutZoomIn share one time, zoom-out another; steps
// of 10 end at 0 and 100.
void tst_KeySets::zoomKeysShareTheirTimes()
{
    QSlider* slider = zoomSlider();
    slider->setValue(85);
    QTest::keyClick(window_.get(), Qt::Key_I, Qt::AltModifier);
    QTest::keyClick(window_.get(), Qt::Key_I, Qt::AltModifier);
    window_->shortcutZoomIn();
    QCOMPARE(slider->value(), 95);
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::AltModifier);
    QCOMPARE(slider->value(), 85);
    const struct
    {
        int from;
        void (MainUserUi::*step)();
        int to;
    } ends[] = {{90, &MainUserUi::shortcutZoomIn, 100}, {11, &MainUserUi::shortcutZoomOut, 1},
                {10, &MainUserUi::shortcutZoomOut, 0}};
    for (const auto& end : ends) {
        QTest::qWait(150);
        slider->setValue(end.from);
        (window_.get()->*end.step)();
        QCOMPARE(slider->value(), end.to);
    }
}

// Holding Alt+Left in the window: X repeats a held key as a release and a
// press at once, which Qt flags as repeats only when it sees both together.
// Either way the camera gets one start and, at the real release, one stop.
void tst_KeySets::heldArrowStartsAndStopsOnce_data()
{
    QTest::addColumn<bool>("flagged");
    QTest::newRow("repeats flagged") << true;
    QTest::newRow("repeats unflagged") << false;
}

void tst_KeySets::heldArrowStartsAndStopsOnce()
{
    QFETCH(bool, flagged);
    prepare();
    const auto key = [this](bool press, bool repeat) {
        QTest::simulateEvent(window_.get(), press, Qt::Key_Left, Qt::AltModifier, QString(), repeat);
    };
    const auto pans = [] { return setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, Pan); };
    key(true, false);
    QTRY_COMPARE_WITH_TIMEOUT(pans().size(), 1, kBoundMs);
    for (int i = 0; i < 6; ++i) {
        QTest::qWait(40);  // the repeat rate
        key(false, flagged);
        key(true, flagged);
    }
    QVERIFY(window_->directionPad()->isHeld());
    key(false, false);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->directionPad()->isHeld(), kBoundMs);
    QCOMPARE(pans(), hexWords("ff140000 00000000"));
    QCOMPARE(window_->padReportCounter(), 31);
}

void tst_KeySets::heldHotkeyMovesUntilReleased_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("keys");  // as xdotool names them
    QTest::addColumn<int>("counter");   // the movement report's count after the stop
    QTest::newRow("global Alt+Left") << int(Global) << "alt+Left" << 31;
    QTest::newRow("remote Ctrl+Alt+Left") << int(Remote) << "ctrl+alt+Left" << 61;
}

// A system-wide arrow held from outside past the server's auto-repeat
// delay: one start, no stop until the key is let go.
void tst_KeySets::heldHotkeyMovesUntilReleased()
{
    QFETCH(int, set);
    QFETCH(QString, keys);
    QFETCH(int, counter);
    if (!haveXServer())
        QSKIP("needs an X server and xdotool (DISPLAY is not set or xdotool is missing)");
    prepare();
    if (set == Global)
        window_->onShortcutRangeChanged(1);
    else
        window_->onRemoteCtrlEnabled(true);
    auto release = qScopeGuard([&] { QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("keyup"), keys}); });
    const auto pans = [] { return setCurs(kOrlaLocation, UvcUnitKind::CameraTerminal, Pan); };
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("keydown"), keys}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(pans().size(), 1, kBoundMs);
    QTest::qWait(900);
    QCOMPARE(pans(), hexWords("ff140000"));
    QVERIFY(window_->directionPad()->isHeld());
    release.dismiss();
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("keyup"), keys}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->directionPad()->isHeld(), kBoundMs);
    QCOMPARE(pans(), hexWords("ff140000 00000000"));
    QCOMPARE(window_->padReportCounter(), counter);
}

QTEST_MAIN(tst_KeySets)
#include "tst_keysets.moc"
