// The main window and its setting page under a real window manager: the
// test starts an Xvfb screen of 1366 x 768 of its own with openbox managing
// it, as on a laptop. Clicks, keys and drags are real X input (xdotool), and
// what is checked is what the window manager made of them: the stacking
// order it publishes, where the windows lie on the X screen and the actions
// it allows the main window.

#include "orlacam/settings/ButtonModeHelp.h"
#include "orlacam/window/MainUiStyle.h"
#include "support/SimWindowSupport.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr int kBoundMs = 20000;
constexpr int kStartMs = 30000;  // the X server and the window manager coming up
const char* const kScreen = "1366x768x24";

// A child process that ends with the test, however the test ends. The
// arguments are made before the fork: the child only executes.
pid_t spawn(const QList<QByteArray>& args, int closeInChild = -1)
{
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (closeInChild >= 0)
        close(closeInChild);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
}

void stop(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// Xvfb on a display it picks itself, with openbox managing it. Made before
// the application, which then connects to it; where that fails, reason()
// says why and the application stays offscreen.
class OpenboxScreen
{
public:
    OpenboxScreen()
    {
        for (const char* program : {"Xvfb", "openbox", "xdotool"}) {
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) {
                reason_ = QStringLiteral("%1 is not installed (scripts/setup.sh installs it)").arg(program);
                return;
            }
        }
        if (startServer() && startManager()) {
            qputenv("QT_QPA_PLATFORM", "xcb");
            return;
        }
        stop(manager_);
        stop(server_);
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ~OpenboxScreen()
    {
        stop(manager_);
        stop(server_);
    }
    OpenboxScreen(const OpenboxScreen&) = delete;
    OpenboxScreen& operator=(const OpenboxScreen&) = delete;

    QString reason() const { return reason_; }

private:
    bool startServer()
    {
        int ends[2];
        if (pipe(ends) != 0) {
            reason_ = QStringLiteral("no pipe for Xvfb's display number");
            return false;
        }
        server_ = spawn({"Xvfb", "-displayfd", QByteArray::number(ends[1]), "-screen", "0", kScreen, "-nolisten",
                         "tcp"},
                        ends[0]);
        close(ends[1]);
        QByteArray number;
        pollfd wait{ends[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, kStartMs) == 1 && read(ends[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(ends[0]);
        if (number.isEmpty() || c != '\n') {
            reason_ = QStringLiteral("Xvfb did not start");
            return false;
        }
        qputenv("DISPLAY", ":" + number);
        return true;
    }

    // Ready once it has set the root window's supporting-manager check.
    bool startManager()
    {
        manager_ = spawn({"openbox", "--sm-disable"});
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_intern_atom_reply_t* check =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 24, "_NET_SUPPORTING_WM_CHECK"), nullptr);
        bool ready = false;
        QElapsedTimer waited;
        waited.start();
        while (check && !ready && waited.elapsed() < kStartMs && waitpid(manager_, nullptr, WNOHANG) == 0) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, root, check->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            ready = reply && xcb_get_property_value_length(reply) == 4;
            free(reply);
            if (!ready)
                usleep(20000);
        }
        free(check);
        xcb_disconnect(connection);
        if (!ready)
            reason_ = QStringLiteral("openbox did not start managing the screen");
        return ready;
    }

    pid_t server_ = -1;
    pid_t manager_ = -1;
    QString reason_;
};

// What the window manager published, read on a connection of the test's own.
class ManagerView
{
public:
    ManagerView()
        : connection_(xcb_connect(nullptr, nullptr))
        , root_(xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root)
    {
    }
    ~ManagerView() { xcb_disconnect(connection_); }
    ManagerView(const ManagerView&) = delete;
    ManagerView& operator=(const ManagerView&) = delete;

    // Bottom first.
    QVector<quint32> stacking() { return values(root_, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW); }
    bool isAbove(WId upper, WId lower)
    {
        const QVector<quint32> order = stacking();
        return order.contains(quint32(lower)) && order.indexOf(quint32(upper)) > order.indexOf(quint32(lower));
    }
    QStringList allowedActions(WId window)
    {
        QStringList names;
        for (quint32 action : values(xcb_window_t(window), "_NET_WM_ALLOWED_ACTIONS", XCB_ATOM_ATOM))
            names << atomName(action);
        return names;
    }
    // Flags, functions, decorations, ... as the window asked for them.
    QVector<quint32> motifHints(WId window)
    {
        return values(xcb_window_t(window), "_MOTIF_WM_HINTS", atom("_MOTIF_WM_HINTS"));
    }
    // Where the window's client area lies on the X screen.
    QRect placeOf(WId window)
    {
        QRect place;
        xcb_get_geometry_reply_t* size =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, xcb_window_t(window)), nullptr);
        xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, xcb_window_t(window), root_, 0, 0), nullptr);
        if (size && at)
            place = QRect(at->dst_x, at->dst_y, size->width, size->height);
        free(size);
        free(at);
        return place;
    }
    bool hasState(WId window, const char* state)
    {
        return values(xcb_window_t(window), "_NET_WM_STATE", XCB_ATOM_ATOM).contains(atom(state));
    }
    // As a pager asks: the window manager answers by rewriting _NET_WM_STATE.
    void requestState(WId window, bool on, const char* state)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = xcb_window_t(window);
        message.type = atom("_NET_WM_STATE");
        message.data.data32[0] = on ? 1 : 0;  // add, remove
        message.data.data32[1] = atom(state);
        message.data.data32[3] = 2;  // from a pager
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return found;
    }
    QString atomName(xcb_atom_t atom)
    {
        xcb_get_atom_name_reply_t* reply =
            xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr);
        const QString name = reply ? QString::fromLatin1(xcb_get_atom_name_name(reply),
                                                         xcb_get_atom_name_name_length(reply))
                                   : QString();
        free(reply);
        return name;
    }
    QVector<quint32> values(xcb_window_t window, const char* property, xcb_atom_t type)
    {
        QVector<quint32> found;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, atom(property), type, 0, 1024), nullptr);
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
            found = QVector<quint32>(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return found;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

bool xdotool(const QStringList& args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

bool clickAt(const QPoint& point)
{
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(point.x()),
                    QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")});
}

bool click(const QWidget* widget)
{
    return clickAt(widget->mapToGlobal(widget->rect().center()));
}

// Inside the title bar of the window's frame, clear of its buttons.
QPoint titleBarPoint(const QWidget* window)
{
    return QPoint(window->geometry().left() + 150, (window->frameGeometry().top() + window->geometry().top()) / 2);
}

enum Action { ClickWindow, ClickTitleBar, HelpByEscape, HelpByYes, SwitchAutoSleep };

} // namespace

class tst_WindowManager : public QObject
{
    Q_OBJECT
public:
    explicit tst_WindowManager(const OpenboxScreen& screen) : screen_(screen) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pageStaysInFrontOfItsWindow_data();
    void pageStaysInFrontOfItsWindow();
    void pageMovesWithItsWindow();
    void windowOffersNoMaximise();

private:
    SystemSettingUi* openPage();
    bool settled();
    bool act(Action action, SystemSettingUi* page);
    bool closeHelp(SystemSettingUi* page, bool byEscape);
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(QLatin1String(name)); }
    bool gearLooksSelected() const;

    const OpenboxScreen& screen_;
    TestHome home_;
    std::unique_ptr<ManagerView> view_;
    std::unique_ptr<MainUserUi> window_;
    // A window of the test's own: its state changes are the round trips
    // with the window manager.
    std::unique_ptr<QWidget> marker_;
    bool markerSkipsPager_ = false;
};

void tst_WindowManager::initTestCase()
{
    if (!screen_.reason().isEmpty())
        QSKIP(qPrintable(QStringLiteral("needs openbox on an Xvfb screen: ") + screen_.reason()));
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    useSimulatedCameras();
    view_ = std::make_unique<ManagerView>();
    marker_ = std::make_unique<QWidget>();
    marker_->setGeometry(1246, 668, 100, 60);  // clear of the main window and of its page
    marker_->show();
    QTRY_VERIFY_WITH_TIMEOUT(view_->stacking().contains(quint32(marker_->winId())), kBoundMs);
}

void tst_WindowManager::init()
{
    QVERIFY(openWindowOn(window_, kOrlaSn, kOrlaLocation, kBoundMs));
    QTRY_VERIFY_WITH_TIMEOUT(view_->stacking().contains(quint32(window_->winId())), kBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(window_->isActiveWindow(), kBoundMs);
}

void tst_WindowManager::cleanup()
{
    window_.reset();
    QTest::qWait(20);  // queued signals of the closed cameras find no window
}

// Once the window manager shows a change asked of it now, it has handled
// every event and request that reached it before.
bool tst_WindowManager::settled()
{
    markerSkipsPager_ = !markerSkipsPager_;
    view_->requestState(marker_->winId(), markerSkipsPager_, "_NET_WM_STATE_SKIP_PAGER");
    return QTest::qWaitFor(
        [&] { return view_->hasState(marker_->winId(), "_NET_WM_STATE_SKIP_PAGER") == markerSkipsPager_; },
        kBoundMs);
}

// Opened by a click on the gear: in front of the window, and active.
SystemSettingUi* tst_WindowManager::openPage()
{
    if (!click(button("pbSystemSetting")))
        return nullptr;
    SystemSettingUi* page = nullptr;
    const auto active = [&] {
        page = window_->findChild<SystemSettingUi*>();
        return page && page->isActiveWindow();
    };
    return QTest::qWaitFor(active, kBoundMs) && settled() ? page : nullptr;
}

bool tst_WindowManager::gearLooksSelected() const
{
    return button("pbSystemSetting")->styleSheet() == MainUiStyle::leftColumnButton(true)
           && button("pbCameraCtrl")->styleSheet() == MainUiStyle::leftColumnButton(false);
}

bool tst_WindowManager::closeHelp(SystemSettingUi* page, bool byEscape)
{
    page->on_pbButtonAdaptHelp_clicked();
    QPointer<ButtonModeHelp> help = window_->findChild<ButtonModeHelp*>();
    if (!QTest::qWaitFor([&] { return help && help->isActiveWindow(); }, kBoundMs))
        return false;
    const bool closed = byEscape ? xdotool({QStringLiteral("key"), QStringLiteral("Escape")})
                                 : click(help->findChild<QPushButton*>(QStringLiteral("pbYes")));
    // Then some window of the program has the focus again.
    return closed && QTest::qWaitFor([&] { return !help && QApplication::activeWindow(); }, kBoundMs);
}

bool tst_WindowManager::act(Action action, SystemSettingUi* page)
{
    const auto windowActive = [&] { return QTest::qWaitFor([&] { return window_->isActiveWindow(); }, kBoundMs); };
    switch (action) {
    case ClickWindow:
        return click(button("pbUselessArea")) && windowActive();
    case ClickTitleBar:
        return clickAt(titleBarPoint(window_.get())) && windowActive();
    case SwitchAutoSleep:
        // The page grows to its rows' minimum height.
        return click(page->findChild<QPushButton*>(QStringLiteral("pbDevAutoSleep")))
               && QTest::qWaitFor([&] { return page->height() >= 600; }, kBoundMs);
    case HelpByEscape:
    case HelpByYes:
        return closeHelp(page, action == HelpByEscape);
    }
    return false;
}

// Whatever the user does next, the open page stays in front of its window
// and, lying over it, within it (no strip below it); the gear keeps its
// selected look.
void tst_WindowManager::pageStaysInFrontOfItsWindow_data()
{
    QTest::addColumn<int>("action");
    QTest::newRow("click on the window") << int(ClickWindow);
    QTest::newRow("click on its title bar") << int(ClickTitleBar);
    QTest::newRow("button-mode help closed by Escape") << int(HelpByEscape);
    QTest::newRow("button-mode help closed by Yes") << int(HelpByYes);
    QTest::newRow("auto sleep switched on") << int(SwitchAutoSleep);
}

void tst_WindowManager::pageStaysInFrontOfItsWindow()
{
    QFETCH(int, action);
    SystemSettingUi* page = openPage();
    QVERIFY(page);
    QVERIFY(act(Action(action), page));
    QVERIFY(settled());
    QVERIFY2(view_->isAbove(page->winId(), window_->winId()), "the page is behind the window");
    QVERIFY(page->isVisible());
    QVERIFY(gearLooksSelected());
    const QRect window = view_->placeOf(window_->winId());
    const QRect placed = view_->placeOf(page->winId());
    QVERIFY2(!placed.intersects(window) || window.contains(placed),
             qPrintable(QStringLiteral("the page (%1,%2 %3x%4) sticks out of the window (%5,%6 %7x%8)")
                            .arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())
                            .arg(window.x()).arg(window.y()).arg(window.width()).arg(window.height())));

    // The camera tab hides it, and takes the selected look.
    QVERIFY(click(button("pbCameraCtrl")));
    QTRY_VERIFY_WITH_TIMEOUT(page->isHidden(), kBoundMs);
    QCOMPARE(button("pbCameraCtrl")->styleSheet(), MainUiStyle::leftColumnButton(true));
    QCOMPARE(button("pbSystemSetting")->styleSheet(), MainUiStyle::leftColumnButton(false));
}

// Dragged by its title bar, the window takes the open page along by the
// same offset; the next gear click leaves the page there, in front.
void tst_WindowManager::pageMovesWithItsWindow()
{
    SystemSettingUi* page = openPage();
    QVERIFY(page);
    const QRect window = view_->placeOf(window_->winId());
    const QRect placed = view_->placeOf(page->winId());
    const QPoint grip = titleBarPoint(window_.get());
    const QPoint by(-100, -30);
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(grip.x()),
                     QString::number(grip.y()), QStringLiteral("mousedown"), QStringLiteral("1")}));
    for (int step = 0; step < 10; ++step) {
        QVERIFY(xdotool({QStringLiteral("mousemove_relative"), QStringLiteral("--sync"), QStringLiteral("--"),
                         QString::number(by.x() / 10), QString::number(by.y() / 10)}));
    }
    QVERIFY(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(view_->placeOf(window_->winId()), window.translated(by), kBoundMs);
    QTRY_COMPARE_WITH_TIMEOUT(view_->placeOf(page->winId()), placed.translated(by), kBoundMs);

    QVERIFY(click(button("pbSystemSetting")));
    QTRY_VERIFY_WITH_TIMEOUT(page->isActiveWindow(), kBoundMs);
    QVERIFY(settled());
    QCOMPARE(view_->placeOf(page->winId()), placed.translated(by));
    QVERIFY(view_->isAbove(page->winId(), window_->winId()));
    QVERIFY(gearLooksSelected());
}

// The window is of fixed size: it asks for no maximise function or button,
// and the window manager offers none, while minimise and close stay.
// (openbox's default title layout still draws a dead maximise button
// between minimise and the title, to keep the buttons' places: no hint of
// a window with a title bar takes it out.)
void tst_WindowManager::windowOffersNoMaximise()
{
    const QStringList actions = view_->allowedActions(window_->winId());
    QVERIFY2(actions.contains(QStringLiteral("_NET_WM_ACTION_MINIMIZE")), qPrintable(actions.join(' ')));
    QVERIFY2(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE")), qPrintable(actions.join(' ')));
    QVERIFY2(!actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE_HORZ")), qPrintable(actions.join(' ')));
    QVERIFY2(!actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE_VERT")), qPrintable(actions.join(' ')));
    // Motif hints: flags, functions, decorations. Functions: all 0x01,
    // maximise 0x10; decorations: all 0x01, maximise 0x40.
    const QVector<quint32> hints = view_->motifHints(window_->winId());
    QVERIFY(hints.size() >= 3);
    QCOMPARE(hints[0] & 0x3, 0x3u);
    QCOMPARE(hints[1] & 0x11, 0u);
    QCOMPARE(hints[2] & 0x41, 0u);
    QVERIFY(hints[2] & 0x08);  // the title bar stays
}

// The screen comes first: the application connects to it.
int main(int argc, char** argv)
{
    OpenboxScreen screen;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_WindowManager test(screen);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmanager.moc"
