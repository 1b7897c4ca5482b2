// System-wide hotkeys on the test's X server, pressed from outside the
// program with xdotool: press and release arrive once each however long the
// key is held, Caps Lock and Num Lock do not hide a combination, a key another client
// holds is a failed registration, shared combinations keep the grab until
// the last holder leaves, and without a display registration fails and says
// so.

#include "hotkey/QHotkey.h"
#include "hotkey/X11HotkeyBackend.h"
#include "support/LogCapture.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr int kBoundMs = 5000;

bool xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// Another X client, for holding keys the program then cannot have.
class OtherClient
{
public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr))
    {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        symbols_ = xcb_key_symbols_alloc(connection_);
    }
    ~OtherClient()
    {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(connection_);
    }
    bool grab(xcb_keysym_t keysym, uint16_t modifiers)
    {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection_, 1, root_, modifiers, codes[0],
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        free(codes);
        xcb_generic_error_t* error = xcb_request_check(connection_, cookie);
        free(error);
        return !error;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
};

} // namespace

class tst_QHotkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void pressedAndReleasedFromOutside_data();
    void pressedAndReleasedFromOutside();
    void keyHeldByAnotherClientFailsRegistration();
    void sharedCombinationKeepsTheGrabUntilTheLastLeaves();
    void changesOfARegisteredHotkey();
    void noDisplayFailsRegistrationAndSaysSo_data();
    void noDisplayFailsRegistrationAndSaysSo();
};

void tst_QHotkey::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server: DISPLAY is not set (the test script starts Xvfb)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool (scripts/setup.sh installs it)");
}

// A failed case must not leave keys down for the next.
void tst_QHotkey::cleanup()
{
    xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl"), QStringLiteral("alt"), QStringLiteral("shift")});
}

void tst_QHotkey::pressedAndReleasedFromOutside_data()
{
    QTest::addColumn<QKeySequence>("sequence");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("lock");  // a lock key switched on around the press
    // Keys that none of the window's sets uses, so that window tests may run beside.
    QTest::newRow("Alt+Home") << QKeySequence(QStringLiteral("Alt+Home")) << "alt+Home" << QString();
    // Not Ctrl+Alt with a function key: the server keeps those for switching terminals.
    QTest::newRow("Ctrl+Alt+Y") << QKeySequence(QStringLiteral("Ctrl+Alt+Y")) << "ctrl+alt+y" << QString();
    QTest::newRow("Alt+P, Caps Lock on") << QKeySequence(QStringLiteral("Alt+P")) << "alt+p" << "Caps_Lock";
    QTest::newRow("Ctrl+Shift+F8, Caps Lock on") << QKeySequence(QStringLiteral("Ctrl+Shift+F8"))
                                                 << "ctrl+shift+F8" << "Caps_Lock";
    QTest::newRow("Alt+Q, Num Lock on") << QKeySequence(QStringLiteral("Alt+Q")) << "alt+q" << "Num_Lock";
}

// Held past the server's auto-repeat delay: still one press, no release
// before the key is let go.
void tst_QHotkey::pressedAndReleasedFromOutside()
{
    QFETCH(QKeySequence, sequence);
    QFETCH(QString, keys);
    QFETCH(QString, lock);
    QHotkey hotkey(sequence, true);
    QVERIFY(hotkey.isRegistered());
    QSignalSpy pressed(&hotkey, &QHotkey::activated);
    QSignalSpy released(&hotkey, &QHotkey::released);
    if (!lock.isEmpty())
        QVERIFY(xdotool({QStringLiteral("key"), lock}));
    QVERIFY(xdotool({QStringLiteral("keydown"), keys}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.count(), 1, kBoundMs);
    QTest::qWait(900);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 0);
    QVERIFY(xdotool({QStringLiteral("keyup"), keys}));
    if (!lock.isEmpty())
        QVERIFY(xdotool({QStringLiteral("key"), lock}));
    QTRY_COMPARE_WITH_TIMEOUT(released.count(), 1, kBoundMs);
    QCOMPARE(pressed.count(), 1);
}

void tst_QHotkey::keyHeldByAnotherClientFailsRegistration()
{
    OtherClient other;
    QVERIFY(other.grab(0xffc7 /* F10 */, XCB_MOD_MASK_1));
    LogCapture log;
    QHotkey hotkey(QKeySequence(QStringLiteral("Alt+F10")), true);
    QVERIFY(!hotkey.isRegistered());
    QVERIFY(log.startsWith(QStringLiteral("Failed to register Alt+F10. Error: BadAccess")));
    QVERIFY(!hotkey.setRegistered(true));
    // The program's other keys are not affected.
    QHotkey free(QKeySequence(QStringLiteral("Alt+F11")), true);
    QVERIFY(free.isRegistered());
}

void tst_QHotkey::sharedCombinationKeepsTheGrabUntilTheLastLeaves()
{
    QHotkey first(QKeySequence(QStringLiteral("Alt+F7")), true);
    QHotkey second(QKeySequence(QStringLiteral("Alt+F7")), true);
    QVERIFY(first.isRegistered() && second.isRegistered());
    QSignalSpy firstPressed(&first, &QHotkey::activated);
    QSignalSpy secondPressed(&second, &QHotkey::activated);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+F7")}));
    QTRY_VERIFY_WITH_TIMEOUT(firstPressed.count() == 1 && secondPressed.count() == 1, kBoundMs);

    QSignalSpy changed(&first, &QHotkey::registeredChanged);
    QVERIFY(first.setRegistered(false));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toBool(), false);
    QVERIFY(first.setRegistered(false));  // no change asked
    QCOMPARE(changed.count(), 1);
    QVERIFY(!OtherClient().grab(0xffc4 /* F7 */, XCB_MOD_MASK_1));  // still ours
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+F7")}));
    QTRY_COMPARE_WITH_TIMEOUT(secondPressed.count(), 2, kBoundMs);
    QCOMPARE(firstPressed.count(), 1);

    QVERIFY(second.setRegistered(false));
    QVERIFY(OtherClient().grab(0xffc4, XCB_MOD_MASK_1));
}

void tst_QHotkey::changesOfARegisteredHotkey()
{
    QHotkey hotkey(QKeySequence(QStringLiteral("Alt+F6")), true);
    QVERIFY(hotkey.isRegistered());
    QVERIFY(!hotkey.setShortcut(QKeySequence(QStringLiteral("Alt+F5")), false));
    QCOMPARE(hotkey.shortcut(), QKeySequence(QStringLiteral("Alt+F6")));

    LogCapture log;
    QVERIFY(hotkey.setShortcut(QKeySequence(QStringLiteral("Alt+F5, Alt+F4")), true));
    QVERIFY(log.startsWith(QStringLiteral("Keysequences with multiple shortcuts are not allowed!")));
    QCOMPARE(hotkey.shortcut(), QKeySequence(QStringLiteral("Alt+F5")));
    QVERIFY(hotkey.isRegistered());

    QVERIFY(hotkey.setShortcut(QKeySequence(), true));
    QVERIFY(!hotkey.isRegistered());
    QVERIFY(!hotkey.currentNativeShortcut().isValid());
    QVERIFY(!hotkey.setRegistered(true));
}

void tst_QHotkey::noDisplayFailsRegistrationAndSaysSo_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QString>("said");
    QTest::newRow("unset") << QByteArray() << "System-wide hotkeys need an X11 display and DISPLAY is not set";
    QTest::newRow("unreachable") << QByteArray(":999") << "Cannot reach the X11 display :999";
}

void tst_QHotkey::noDisplayFailsRegistrationAndSaysSo()
{
    QFETCH(QByteArray, display);
    QFETCH(QString, said);
    LogCapture log;
    X11HotkeyBackend backend(display);
    QVERIFY(log.startsWith(said));
    QVERIFY(!backend.isAvailable());
    bool ok = false;
    const quint32 key = backend.nativeKeycode(Qt::Key_Up, ok);
    QVERIFY(ok);
    QString error;
    QVERIFY(!backend.registerShortcut(QHotkey::NativeShortcut(key, 0), error));
    QCOMPARE(error, QStringLiteral("no X11 display"));
}

QTEST_GUILESS_MAIN(tst_QHotkey)
#include "tst_qhotkey.moc"
