// The control panel of the main window against a simulated Orla (and a
// Zuki beside it): each control puts the right record or command on the
// wire, the zoom slider is throttled but always delivers its last position,
// the two switches lock for their interval, a status that changes nothing
// restyles nothing, and the window renders legibly in every language with
// the virtual-background section shown.

#include "support/CloudFixture.h"
#include "comm/GlobalParams.h"
#include "orlacam/window/DevSleep.h"
#include "support/SimWindowSupport.h"
#include "support/TestHome.h"
#include "support/BoxTestSupport.h"
#include "uvc/UvcDevices.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QAbstractButton>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 8000;
constexpr uint8_t kZoomAbsolute = 0x0B;

QSharedPointer<SimCamera> orla()
{
    return sim().camera(kOrlaLocation);
}

QList<QByteArray> setCurs(UvcUnitKind kind, uint8_t selector)
{
    return ::setCurs(kOrlaLocation, kind, selector);
}

QList<QByteArray> records()
{
    return paramRecords(kOrlaLocation);
}

QByteArray lastRecord()
{
    const QList<QByteArray> sent = records();
    return sent.isEmpty() ? QByteArray() : sent.last();
}

QList<QByteArray> zoomValues()
{
    return setCurs(UvcUnitKind::CameraTerminal, kZoomAbsolute);
}

// Style changes that reach the widgets of the given windows while it lives.
struct StyleChanges : QObject
{
    QList<QWidget*> windows;
    int count = 0;
    explicit StyleChanges(const QList<QWidget*>& w) : windows(w) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::StyleChange && widget && windows.contains(widget->window()))
            ++count;
        return false;
    }
};

void clickButton(QWidget* box, const char* name)
{
    QTest::mouseClick(box->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class tst_ControlPanel : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;
    std::unique_ptr<MainUserUi> window_;

    template<typename T>
    T* widget(const char* name) const
    {
        return window_->findChild<T*>(QLatin1String(name));
    }
    void turnVirtualBgOn();

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void zoomSliderThrottlesAndDeliversTheLastPosition();
    void zoomSendsNothingWhileVideoIsConfigured();
    void heldBackZoomReachesItsCameraOnReselection();
    void fourKModelShowsTheWiderRatio();
    void statusPutsBackAZoomNotTaken();
    void autoFramingSwitchLocksForItsInterval();
    void autoFramingTipIsAskedOnce();
    void framingModeAndSize_data();
    void framingModeAndSize();
    void viewButtons_data();
    void viewButtons();
    void backgroundModesColoursAndBlurLevel();
    void blurLevelFromStatus_data();
    void blurLevelFromStatus();
    void zukiKeepsWhatItsStatusLacks();
    void sleepAndWake();
    void repeatedStatusRestylesNothing_data();
    void repeatedStatusRestylesNothing();
    void helpBoxShowsPlainTextAndReturns();
    void firmwarePrompt_data();
    void firmwarePrompt();
    void panelRendersLegibly_data();
    void panelRendersLegibly();
};

void tst_ControlPanel::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    useSimulatedCameras();
    QCOMPARE(sim().devices().size(), 2);
    QVERIFY(server_.listen());
    pointServersAt(server_);
    GlobalParams::get().auto_framing_tips = true;
}

void tst_ControlPanel::init()
{
    QByteArray status(60, '\0');
    status[2] = 1;  // running, media mode normal
    orla()->setStatusBlock(status);
    // The real waits: the switch lock's own interval is what a case checks.
    QVERIFY(openWindowOn(window_, kOrlaSn, kOrlaLocation, kBoundMs, WindowTiming::defaults()));
}

void tst_ControlPanel::cleanup()
{
    window_.reset();
    QTest::qWait(20);
    QVERIFY(UvcDevices::get().devList().isEmpty());
}

void tst_ControlPanel::turnVirtualBgOn()
{
    window_->enableVirtualBg(true);
    QTest::mouseClick(widget<QPushButton>("pbVirtualBg"), Qt::LeftButton);
    QVERIFY(window_->isVirtualBgOn());
    QCOMPARE(lastRecord(), QByteArray::fromHex("000101"));
}

void tst_ControlPanel::zoomSliderThrottlesAndDeliversTheLastPosition()
{
    auto* slider = widget<QSlider>("slZoom");
    QVERIFY(slider->isEnabled());
    QTest::qWait(150);  // the throttle's time is shared with earlier cases
    slider->setValue(50);
    // Zoom range of the camera 100..500: ratio 1.5 is 300.
    QCOMPARE(zoomValues(), QList<QByteArray>{QByteArray::fromHex("2c01")});
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("1.5x"));

    QElapsedTimer clock;
    clock.start();
    for (int p = 51; p <= 100; ++p)
        slider->setValue(p);
    const qint64 dragMs = clock.elapsed();
    const int duringDrag = zoomValues().size() - 1;
    QVERIFY2(duringDrag <= dragMs / 100 + 1, qPrintable(QString::number(duringDrag)));
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("2x"));
    // The trailing send brings the last position (ratio 2.0 is 500).
    QTRY_COMPARE_WITH_TIMEOUT(zoomValues().last(), QByteArray::fromHex("f401"), kBoundMs);
    QTest::qWait(250);
    QVERIFY(zoomValues().size() <= duringDrag + 2);

    // Press and release each send the position.
    const int before = zoomValues().size();
    window_->on_slZoom_sliderPressed();
    window_->on_slZoom_sliderReleased();
    QCOMPARE(zoomValues().size(), before + 2);
}

// The last position of a drag, still held back by the throttle when another
// camera is selected, goes to the camera it was made on.
void tst_ControlPanel::heldBackZoomReachesItsCameraOnReselection()
{
    DevButton* other = nullptr;
    for (DevButton* button : window_->devButtons()) {
        if (button->sn() != kOrlaSn)
            other = button;
    }
    QVERIFY(other);
    auto* slider = widget<QSlider>("slZoom");
    QTest::qWait(150);  // the throttle's time is shared with earlier cases
    slider->setValue(50);
    slider->setValue(100);  // within the throttle: held back
    QCOMPARE(zoomValues(), QList<QByteArray>{QByteArray::fromHex("2c01")});
    window_->onDevSelectedChanged(other);
    QCOMPARE(window_->currentSn(), other->sn());
    // Ratio 2.0 is 500 in the camera's zoom range 100..500.
    QTRY_COMPARE_WITH_TIMEOUT(zoomValues().size(), 2, kBoundMs);
    QCOMPARE(zoomValues().last(), QByteArray::fromHex("f401"));
    QTest::qWait(250);
    QCOMPARE(zoomValues().size(), 2);
}

void tst_ControlPanel::zoomSendsNothingWhileVideoIsConfigured()
{
    window_->onOpenVideoCfg(true);
    widget<QSlider>("slZoom")->setValue(30);
    QTest::qWait(200);
    QVERIFY(zoomValues().isEmpty());
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("1.3x"));
}

// The camera always receives 1.0 to 2.0; only the text of a 4K model goes to 4x.
void tst_ControlPanel::fourKModelShowsTheWiderRatio()
{
    constexpr uint32_t kLocation = 0x14300000;
    const QString sn = QStringLiteral("OR4K00000003");
    SimCameraModel model;
    model.usb = {QStringLiteral("sim-orla4k"), kLocation, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.platformIndex = 5;  // "SSC339G": the 4K Orla
    model.serial = QByteArray("OR4K00000003\0\0", 14);
    model.uuid = QByteArray::fromHex("4b4553545230314f524c41000000000000000000a1b2c3d7");
    QByteArray status(60, '\0');
    status[2] = 1;
    model.statusBlock = status;
    sim().plug(model);
    QTRY_VERIFY_WITH_TIMEOUT(buttonFor(*window_, sn), kBoundMs);
    DevButton* button = buttonFor(*window_, sn);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window_->currentSn(), sn);
    QVERIFY(window_->isDev4K());
    UvcDevices::get().getDevBySn(sn)->setStatusReportEnabled(false);
    QTest::qWait(150);
    sim().camera(kLocation)->clearRequests();

    widget<QSlider>("slZoom")->setValue(100);
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("4x"));
    widget<QSlider>("slZoom")->setValue(50);
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("2.5x"));
    window_->on_slZoom_sliderReleased();
    const QList<QByteArray> sent = ::setCurs(kLocation, UvcUnitKind::CameraTerminal, kZoomAbsolute);
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.first(), QByteArray::fromHex("f401"));  // ratio 2.0
    QCOMPARE(sent.last(), QByteArray::fromHex("2c01"));   // ratio 1.5
    QVERIFY(sim().unplug(kLocation));
    QTRY_COMPARE_WITH_TIMEOUT(window_->devButtons().size(), 2, kBoundMs);
}

// The camera ends at the zoom the window showed before the user moved the
// slider (it did not take the move, or another program set it back): the
// slider and its ratio go back to it, and the zoom is reported with it.
void tst_ControlPanel::statusPutsBackAZoomNotTaken()
{
    server_.clear();
    auto* slider = widget<QSlider>("slZoom");
    QCOMPARE(slider->value(), 0);
    slider->setValue(40);
    window_->on_slZoom_sliderReleased();
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("1.4x"));
    CameraStatus status;  // running at zoom 0
    status.bytes[2] = 1;
    for (int i = 0; i < 3; ++i) {  // the first two come too soon after the move
        window_->setLastUserActionMs(0);
        window_->onDevStateUpdate(status);
    }
    QCOMPARE(slider->value(), 0);
    QCOMPARE(widget<QLabel>("lbZoomValue")->text(), QStringLiteral("1x"));
    const auto zoomReports = [this] {
        QStringList shown;
        for (const FakeCloudServer::Request& request : server_.requests()) {
            if (request.json().value(QStringLiteral("action")).toString() == QLatin1String("zooming"))
                shown << request.json().value(QStringLiteral("data")).toString();
        }
        return shown;
    };
    QTRY_VERIFY_WITH_TIMEOUT(zoomReports().contains(QStringLiteral("1x")), kBoundMs);
    QVERIFY(!zoomReports().contains(QStringLiteral("1.4x")));
}

void tst_ControlPanel::autoFramingSwitchLocksForItsInterval()
{
    auto* af = widget<QPushButton>("pbAutoFraming");
    QElapsedTimer clock;  // from the click that locks, however long the checks below take
    clock.start();
    QTest::mouseClick(af, Qt::LeftButton);
    QVERIFY(window_->isAutoFramingOn());
    QCOMPARE(records(), QList<QByteArray>{QByteArray::fromHex("000102")});
    QVERIFY(!widget<QPushButton>("pbView65")->isEnabled());  // the view area follows framing

    // Locked: a click and a direct call both do nothing.
    QTest::mouseClick(af, Qt::LeftButton);
    window_->on_pbAutoFraming_clicked();
    QCOMPARE(records().size(), 1);
    QVERIFY(window_->isAutoFramingOn());

    QTRY_VERIFY_WITH_TIMEOUT(!af->signalsBlocked(), kBoundMs);
    QVERIFY2(clock.elapsed() >= 3500, qPrintable(QString::number(clock.elapsed())));
    QTest::mouseClick(af, Qt::LeftButton);
    QCOMPARE(lastRecord(), QByteArray::fromHex("000100"));
    QVERIFY(!window_->isAutoFramingOn());
}

void tst_ControlPanel::autoFramingTipIsAskedOnce()
{
    turnVirtualBgOn();
    GlobalParams::get().auto_framing_tips = false;
    QString asked;
    whenModal([&](QWidget* box) {
        asked = box->findChild<QLabel*>(QStringLiteral("lbContent"))->text();
        clickButton(box, "pbNo");
    });
    window_->on_pbAutoFraming_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), kBoundMs);  // answered
    QVERIFY(asked.startsWith(QStringLiteral("Virtual background will be turned off")));
    QVERIFY(GlobalParams::get().auto_framing_tips);
    QVERIFY(!window_->isAutoFramingOn());
    QVERIFY(window_->isVirtualBgOn());
    QCOMPARE(records().size(), 1);

    // Not asked again: framing goes on and the background off.
    window_->on_pbAutoFraming_clicked();
    QCOMPARE(lastRecord(), QByteArray::fromHex("000102"));
    QVERIFY(window_->isAutoFramingOn());
    QVERIFY(!window_->isVirtualBgOn());
}

void tst_ControlPanel::framingModeAndSize_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("group") << QByteArray("on_pbGroupMode_clicked") << QByteArray::fromHex("0d0200ff");
    // Single keeps the size the camera reports (byte 17: upper body).
    QTest::newRow("single") << QByteArray("on_pbSingleMode_clicked") << QByteArray::fromHex("0d020101");
    QTest::newRow("close-up") << QByteArray("on_pbCloseUp_clicked") << QByteArray::fromHex("0d020100");
    QTest::newRow("upper body") << QByteArray("on_pbUpperBody_clicked") << QByteArray::fromHex("0d020101");
}

void tst_ControlPanel::framingModeAndSize()
{
    QFETCH(QByteArray, slot);
    QFETCH(QByteArray, record);
    QByteArray status(60, '\0');
    status[2] = 1;
    status[17] = 1;
    orla()->setStatusBlock(status);
    QVERIFY(QMetaObject::invokeMethod(window_.get(), slot.constData()));
    QCOMPARE(lastRecord(), record);
}

void tst_ControlPanel::viewButtons_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("65") << QByteArray("pbView65") << QByteArray::fromHex("040102");
    QTest::newRow("78") << QByteArray("pbView78") << QByteArray::fromHex("040101");
    QTest::newRow("86") << QByteArray("pbView86") << QByteArray::fromHex("040100");
}

void tst_ControlPanel::viewButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, record);
    auto* view = widget<QPushButton>(button.constData());
    QTest::mouseClick(view, Qt::LeftButton);
    QCOMPARE(records(), QList<QByteArray>{record});
    // Selected look: dark text on white; the others normal.
    QVERIFY(view->styleSheet().contains(QStringLiteral("color: #141414; background-color: #FFFFFF")));
    for (const char* other : {"pbView65", "pbView78", "pbView86"}) {
        if (button != other)
            QVERIFY(widget<QPushButton>(other)->styleSheet().contains(QStringLiteral("color: #FFFFFF;")));
    }
}

void tst_ControlPanel::backgroundModesColoursAndBlurLevel()
{
    // Options do nothing while the background is off.
    window_->on_pbBgGreenScreen_clicked();
    QVERIFY(records().isEmpty());
    turnVirtualBgOn();
    auto* pages = widget<QStackedWidget>("swOptionSet");

    const struct
    {
        const char* button;
        const char* record;
        int page;
    } options[] = {
        {"pbBgGreenScreen", "050101", 1},
        {"pbBgReplace", "050111", 2},
        {"pbBgBlur", "050112", 0},
    };
    for (const auto& option : options) {
        QTest::mouseClick(widget<QPushButton>(option.button), Qt::LeftButton);
        QCOMPARE(lastRecord(), QByteArray::fromHex(option.record));
        QCOMPARE(pages->currentIndex(), option.page);
    }

    // The blur level goes out at once, unthrottled, and shows as a percentage.
    auto* blur = widget<QSlider>("slBlurLevel");
    QVERIFY(blur->isEnabled());
    blur->setValue(37);
    blur->setValue(38);
    QCOMPARE(records().mid(records().size() - 2),
             (QList<QByteArray>{QByteArray::fromHex("060125"), QByteArray::fromHex("060126")}));
    QCOMPARE(widget<QLabel>("lbBlurLevelValue")->text(), QStringLiteral("38%"));

    QTest::mouseClick(widget<QPushButton>("pbBgGreenScreen"), Qt::LeftButton);
    auto* green = widget<QPushButton>("pbColorG");
    auto* blue = widget<QPushButton>("pbColorB");
    QTest::mouseClick(green, Qt::LeftButton);
    QCOMPARE(lastRecord(), QByteArray::fromHex("100101"));
    QCOMPARE(green->geometry(), QRect(262, 27, 60, 26));
    QCOMPARE(blue->geometry(), QRect(184, 28, 60, 24));
    QTest::mouseClick(blue, Qt::LeftButton);
    QCOMPARE(lastRecord(), QByteArray::fromHex("100100"));
    QCOMPARE(blue->geometry(), QRect(184, 27, 60, 26));

    // The switch is locked: a second click within 4 s keeps it on.
    const int sent = records().size();
    QTest::mouseClick(widget<QPushButton>("pbVirtualBg"), Qt::LeftButton);
    QVERIFY(window_->isVirtualBgOn());
    QCOMPARE(records().size(), sent);
}

void tst_ControlPanel::blurLevelFromStatus_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("kind");  // byte 5: the camera tells its green screen by the colour
    QTest::addColumn<int>("option");  // marked, and its page shown: blur, green screen, replacement
    QTest::newRow("above 100, blur") << 150 << 100 << 18 << 0;
    QTest::newRow("within, green screen in blue") << 40 << 40 << 0 << 1;
    QTest::newRow("within, green screen in green") << 40 << 40 << 1 << 1;
    QTest::newRow("within, replacement") << 40 << 40 << 17 << 2;
}

// Byte 6 of the status, at most 100, on the label and the slider, and the
// option of byte 5 marked: when the camera is selected and on a status
// refresh.
void tst_ControlPanel::blurLevelFromStatus()
{
    QFETCH(int, level);
    QFETCH(int, shown);
    QFETCH(int, kind);
    QFETCH(int, option);
    QByteArray status(60, '\0');
    status[0] = 1;  // virtual background
    status[2] = 1;
    status[5] = char(kind);
    status[6] = char(level);
    const QString text = QString::number(shown) + QLatin1Char('%');
    const auto marked = [&] {
        const char* const options[] = {"pbBgBlur", "pbBgGreenScreen", "pbBgReplace"};
        return widget<QStackedWidget>("swOptionSet")->currentIndex() == option
               && widget<QPushButton>(options[option])->styleSheet().contains(
                   QStringLiteral("color: #141414; background-color: #FFFFFF"));
    };
    orla()->setStatusBlock(status);
    window_->onDevSelectedChanged(buttonFor(*window_, kOrlaSn));
    QCOMPARE(widget<QLabel>("lbBlurLevelValue")->text(), text);
    QCOMPARE(widget<QSlider>("slBlurLevel")->value(), shown);
    QVERIFY(marked());

    status[5] = char(18);
    status[6] = 0;
    orla()->setStatusBlock(status);
    window_->onDevSelectedChanged(buttonFor(*window_, kOrlaSn));
    UvcDevices::get().getDevBySn(kOrlaSn)->setStatusReportEnabled(false);
    CameraStatus refreshed;
    refreshed.bytes[0] = 1;
    refreshed.bytes[2] = 1;
    refreshed.bytes[5] = uint8_t(kind);
    refreshed.bytes[6] = uint8_t(level);
    window_->setLastUserActionMs(0);
    window_->onDevStateUpdate(refreshed);
    QCOMPARE(widget<QLabel>("lbBlurLevelValue")->text(), text);
    QCOMPARE(widget<QSlider>("slBlurLevel")->value(), shown);
    QVERIFY(marked());
    QVERIFY(records().isEmpty());  // showing the camera's level sends nothing
}

// A Zuki's status has no media mode, view area or framing: neither a refresh
// nor selecting the Zuki again may undo what the user chose for it; a factory
// reset does, back to 86 degrees.
void tst_ControlPanel::zukiKeepsWhatItsStatusLacks()
{
    const QString zukiSn = QStringLiteral("ZK22A0000002");
    const auto select = [&](const QString& sn) {
        window_->onDevSelectedChanged(buttonFor(*window_, sn));
        UvcDevices::get().getDevBySn(sn)->setStatusReportEnabled(false);
        return window_->currentSn() == sn;
    };
    const auto reselect = [&] { return select(kOrlaSn) && select(zukiSn); };
    const auto shownSelected = [&](const char* name) {
        return widget<QPushButton>(name)->styleSheet().contains(QStringLiteral("background-color: #FFFFFF"));
    };
    QVERIFY(select(zukiSn));
    const CameraStatus refreshed;  // an awake Zuki: no sleep or privacy at byte 9
    const auto refresh = [&] {
        window_->setLastUserActionMs(0);
        window_->onDevStateUpdate(refreshed);
    };

    QTest::mouseClick(widget<QPushButton>("pbView65"), Qt::LeftButton);
    refresh();
    QVERIFY(shownSelected("pbView65"));
    QVERIFY(reselect());
    QVERIFY(shownSelected("pbView65"));
    QVERIFY(!shownSelected("pbView86"));
    // What the reset flow does once the camera confirmed it.
    QCOMPARE(UvcDevices::get().getDevBySn(zukiSn)->cameraRestoreFactorySettings(), int(UvcDevice::kResetConfirmed));
    window_->onCurrDevStateRefresh();
    refresh();
    QVERIFY(shownSelected("pbView86"));
    QVERIFY(!shownSelected("pbView65"));

    QTest::mouseClick(widget<QPushButton>("pbAutoFraming"), Qt::LeftButton);
    QVERIFY(window_->isAutoFramingOn());
    refresh();
    QVERIFY(window_->isAutoFramingOn());
    QTest::mouseClick(widget<QPushButton>("pbSingleMode"), Qt::LeftButton);
    QTest::mouseClick(widget<QPushButton>("pbUpperBody"), Qt::LeftButton);
    QVERIFY(reselect());
    QVERIFY(window_->isAutoFramingOn());
    QVERIFY(shownSelected("pbSingleMode"));
    QVERIFY(shownSelected("pbUpperBody"));
    refresh();
    QVERIFY(window_->isAutoFramingOn());
    QVERIFY(shownSelected("pbUpperBody"));

    // The Orla in between showed its own status, not the Zuki's choice.
    QVERIFY(select(kOrlaSn));
    QVERIFY(!window_->isAutoFramingOn());
    QVERIFY(shownSelected("pbView86"));
}

void tst_ControlPanel::repeatedStatusRestylesNothing_data()
{
    QTest::addColumn<int>("mediaMode");
    QTest::addColumn<bool>("pageOpen");  // the status goes on to the setting page too
    QTest::newRow("normal") << int(CameraStatus::MediaNone) << false;
    QTest::newRow("virtual background") << int(CameraStatus::MediaVirtualBackground) << false;
    QTest::newRow("auto framing") << int(CameraStatus::MediaAutoFraming) << false;
    QTest::newRow("setting page open") << int(CameraStatus::MediaVirtualBackground) << true;
}

// The same status polled again and again, as an idle window gets it: no
// sheet is set again and no icon made again (each would be kept, drawn anew),
// on the window nor on its setting page.
void tst_ControlPanel::repeatedStatusRestylesNothing()
{
    QFETCH(int, mediaMode);
    QFETCH(bool, pageOpen);
    if (pageOpen) {
        window_->on_pbSystemSetting_clicked();
        QVERIFY(window_->settingWindow()->isVisible());
    }
    UvcDevices::get().getDevBySn(kOrlaSn)->setStatusReportEnabled(false);
    CameraStatus status;
    status.bytes[0] = uint8_t(mediaMode);
    status.bytes[2] = 1;  // running
    status.bytes[6] = 40;
    const auto poll = [&] {
        window_->setLastUserActionMs(0);
        window_->onDevStateUpdate(status);
    };
    poll();
    QHash<QAbstractButton*, qint64> icons;
    for (QAbstractButton* button : window_->findChildren<QAbstractButton*>())
        icons.insert(button, button->icon().cacheKey());
    StyleChanges changes({window_.get(), pageOpen ? window_->settingWindow() : nullptr});
    for (int i = 0; i < 5; ++i)
        poll();
    QCoreApplication::processEvents();
    QCOMPARE(changes.count, 0);
    for (auto it = icons.cbegin(); it != icons.cend(); ++it)
        QVERIFY2(it.key()->icon().cacheKey() == it.value(), qPrintable(it.key()->objectName()));
}

void tst_ControlPanel::sleepAndWake()
{
    window_->on_devSleepResume();
    QTRY_COMPARE_WITH_TIMEOUT(runStatusFrames(kOrlaLocation, 3), 1, kBoundMs);
    QVERIFY(!window_->isDevAwake());
    QVERIFY(window_->sleepOverlay()->isVisible());

    // The wake returns at once; the overlay goes once the camera has had
    // its second to settle.
    QElapsedTimer clock;
    clock.start();
    window_->on_devSleepResume();
    QVERIFY(window_->sleepOverlay()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(runStatusFrames(kOrlaLocation, 1), 1, kBoundMs);
    QVERIFY(window_->isDevAwake());
    QTRY_VERIFY_WITH_TIMEOUT(window_->sleepOverlay()->isHidden(), kBoundMs);
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
}

void tst_ControlPanel::helpBoxShowsPlainTextAndReturns()
{
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    whenModal([&](QWidget* box) {
        auto* content = box->findChild<QLabel*>(QStringLiteral("lbContent"));
        shown = content->text();
        format = content->textFormat();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    window_->on_pbDirectionHelp_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), kBoundMs);  // answered
    QCOMPARE(shown, QStringLiteral("Please zoom in first before adjusting the direction."));
    QCOMPARE(format, Qt::PlainText);
}

void tst_ControlPanel::firmwarePrompt_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("older");
    QTest::newRow("one step below") << "4.0.3.0" << true;
    QTest::newRow("equal") << "4.0.3.1" << false;
}

void tst_ControlPanel::firmwarePrompt()
{
    QFETCH(QString, current);
    QFETCH(bool, older);
    QString shown;
    if (older) {
        whenModal([&](QWidget* box) {
            shown = box->findChild<QLabel*>(QStringLiteral("lbContent"))->text();
            clickButton(box, "pbYes");
        });
    }
    QCOMPARE(window_->onPromptDevUpgrade(current, QStringLiteral("4.0.3.1"), QStringLiteral("4.0.3.1")), older);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), kBoundMs);  // answered
    QCOMPARE(shown.isEmpty(), !older);
    if (older)
        QCOMPARE(shown, QStringLiteral("Please upgrade to the v4.0.3.1 or higher for new features with your OrlaCam."));
}

// Rendered for a person to look at (controlpanel_<language>_<page>.png in
// the build directory), with the virtual background on, in each language and
// on each option page: every shown widget of the panel and of the page lies
// inside its parent, overlaps no sibling and shows its whole text.
void tst_ControlPanel::panelRendersLegibly_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<QByteArray>("page");
    for (const QString& code : languageCodes()) {
        const QByteArray tag = code.toLatin1();
        QTest::newRow(tag + " blur") << code << QByteArray("pbBgBlur") << QByteArray("pgBlurLevel");
        QTest::newRow(tag + " color") << code << QByteArray("pbBgGreenScreen") << QByteArray("pgColor");
        QTest::newRow(tag + " select") << code << QByteArray("pbBgReplace") << QByteArray("pgSelect");
    }
}

void tst_ControlPanel::panelRendersLegibly()
{
    QFETCH(QString, language);
    QFETCH(QByteArray, option);
    QFETCH(QByteArray, page);
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    QTRY_COMPARE(widget<QLabel>("lbConnect")->text(), translator.translate("MainUserUi", "Connect"));
    turnVirtualBgOn();
    QTest::mouseClick(widget<QPushButton>(option.constData()), Qt::LeftButton);
    auto* panel = widget<QWidget>("wDevCtrl");
    QCOMPARE(panel->size(), QSize(690, 560));
    QVERIFY(QRect(QPoint(0, 0), window_->size()).contains(QRect(panel->mapTo(window_.get(), QPoint(0, 0)), panel->size())));
    const char* const expected[] = {"lbAutoFraming", "pbAutoFraming", "pbAutoFramingHelp", "pbSingleMode",
                                    "pbGroupMode", "pbCloseUp", "pbUpperBody", "lbZoom", "lbZoomValue", "slZoom",
                                    "lbView", "pbView65", "pbView78", "pbView86", "lbDirection",
                                    "pbDirectionReset", "pbDirectionHelp", "wDirection", "lbVirtualBg", "pbVirtualBg",
                                    "pbVirtualBgHelp", "lbVirtualBgBeta", "lbBgOption", "pbBgBlur",
                                    "pbBgGreenScreen", "pbBgReplace", "swOptionSet", page.constData()};
    for (const char* name : expected)
        QVERIFY2(widget<QWidget>(name)->isVisible(), name);
    const QString png = stagedFile(QStringLiteral("controlpanel_") + language + QLatin1Char('_')
                                   + QString::fromLatin1(page) + QStringLiteral(".png"));
    QVERIFY(window_->grab().save(png));
    QString faults;
    for (const QWidget* parent : {panel, widget<QWidget>(page.constData())}) {
        int shown = 0;
        faults += legibilityFault(parent, &shown) + QLatin1Char(' ');
        QVERIFY(shown >= 2);
    }
    QVERIFY2(faults.trimmed().isEmpty(), qPrintable(faults));
}

QTEST_MAIN(tst_ControlPanel)
#include "tst_controlpanel.moc"
