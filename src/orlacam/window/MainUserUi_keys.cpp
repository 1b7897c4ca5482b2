// The window's three key sets: in-window shortcuts, the same keys as
// system-wide hotkeys (one of the two is in force), and the remote
// controller's keys. Each key runs the slot a click would, reported with
// the source KEY or REMOTE.

#include "orlacam/window/MainUserUi.h"

#include "cloud/ActionReport.h"
#include "hotkey/QHotkey.h"
#include "orlacam/window/DevButton.h"
#include "orlacam/window/DirectionHandler.h"
#include "orlacam/window/MainUiStyle.h"
#include "ui_MainUserUi.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QShortcut>

using vesk::pc::ActionSourceType;
using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;

namespace {

constexpr int kZoomKeyStep = 10;
// Pad report counters that a key's stop starts from: keyboard, remote.
constexpr int kKeyPadReport = 31;
constexpr int kRemotePadReport = 61;
// How long an in-window arrow's release waits for the press of a repeat:
// X sends a held key's repeats as a release and a press at once.
constexpr int kArrowRepeatGraceMs = 50;

// Shared by every set and by shortcutZoomIn/Out: one time per direction.
qint64 g_lastZoomInMs = 0;
qint64 g_lastZoomOutMs = 0;

bool isArrow(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

} // namespace

// fov as the camera numbers it: 0 86°, 1 78°, 2 65°.
const QVector<MainUserUi::KeyRow>& MainUserUi::windowKeys()
{
    static const QVector<KeyRow> rows = {
        {"Alt+Up", &MainUserUi::keyMove, Qt::Key_Up},
        {"Alt+Down", &MainUserUi::keyMove, Qt::Key_Down},
        {"Alt+Left", &MainUserUi::keyMove, Qt::Key_Left},
        {"Alt+Right", &MainUserUi::keyMove, Qt::Key_Right},
        {"Alt+1", &MainUserUi::keySelectDev, 1},
        {"Alt+2", &MainUserUi::keySelectDev, 2},
        {"Alt+3", &MainUserUi::keySelectDev, 3},
        {"Alt+4", &MainUserUi::keySelectDev, 4},
        {"Alt+I", &MainUserUi::keyZoomStep, 1},
        {"Alt+O", &MainUserUi::keyZoomStep, -1},
        {"Alt+J", &MainUserUi::keyZoomTo, 100},
        {"Alt+K", &MainUserUi::keyZoomTo, 0},
        {"Alt+R", &MainUserUi::keyResetDirection, 0},
        {"Alt+Z", &MainUserUi::keySwitchOff, 0},
        {"Alt+S", &MainUserUi::keySettingsPage, 0},
        {"Alt+T", &MainUserUi::keySleepWake, 0},
        {"Alt+D", &MainUserUi::keyView, 2},
        {"Alt+F", &MainUserUi::keyView, 1},
        {"Alt+G", &MainUserUi::keyView, 0},
        {"Alt+B", &MainUserUi::keyBackground, 0},
        {"Alt+V", &MainUserUi::keyBackground, 1},
        {"Alt+C", &MainUserUi::keyBackground, 2},
        {"Alt+N", &MainUserUi::keyFraming, 1},
        {"Alt+M", &MainUserUi::keyFraming, 0},
    };
    return rows;
}

// The remote sends the physical Control key with Alt.
const QVector<MainUserUi::KeyRow>& MainUserUi::remoteKeys()
{
    static const QVector<KeyRow> rows = {
        {"Ctrl+Alt+9", &MainUserUi::keyViewCycle, 0},
        {"Ctrl+Alt+8", &MainUserUi::keySwitchOff, 0},
        {"Ctrl+Alt+7", &MainUserUi::keyBackgroundCycle, 0},
        {"Ctrl+Alt+6", &MainUserUi::keyFramingToggle, 0},
        {"Ctrl+Alt+F", &MainUserUi::keyZoomStep, 1},
        {"Ctrl+Alt+H", &MainUserUi::keyZoomStep, -1},
        {"Ctrl+Alt+0", &MainUserUi::keyResetDirection, 0},
        {"Ctrl+Alt+Up", &MainUserUi::keyMove, Qt::Key_Up},
        {"Ctrl+Alt+Down", &MainUserUi::keyMove, Qt::Key_Down},
        {"Ctrl+Alt+Left", &MainUserUi::keyMove, Qt::Key_Left},
        {"Ctrl+Alt+Right", &MainUserUi::keyMove, Qt::Key_Right},
        {"Ctrl+Alt+T", &MainUserUi::keySleepWake, 0},
        {"Ctrl+Alt+1", &MainUserUi::keyStepDev, -1},
        {"Ctrl+Alt+2", &MainUserUi::keyStepDev, 1},
    };
    return rows;
}

void MainUserUi::initLocalShortcut()
{
    localShortcuts_.clear();
    arrowStopTimer_.setSingleShot(true);
    arrowStopTimer_.setInterval(kArrowRepeatGraceMs);
    connect(&arrowStopTimer_, &QTimer::timeout, this, [this] { letGoOfArrow(windowArrow_, kKeyPadReport); });
    for (const KeyRow& row : windowKeys()) {
        auto* shortcut = new QShortcut(QKeySequence(QLatin1String(row.key)), this);
        shortcut->setContext(Qt::ApplicationShortcut);
        shortcut->setAutoRepeat(false);
        // The in-window arrows follow their own key's repeats and release.
        const KeyRow key{row.key, row.handler == &MainUserUi::keyMove ? &MainUserUi::keyWindowMove : row.handler,
                         row.arg};
        connect(shortcut, &QShortcut::activated, this, [this, key, shortcut] {
            runKey(key, vesk::pc::SourceKey, shortcut);
        });
        // Off while the system-wide set is in force, before that set is made.
        shortcut->setEnabled(GlobalParams::get().shortcut_range != 1);
        localShortcuts_.append(shortcut);
    }
}

void MainUserUi::initSystemKeys()
{
    initGlobalShortcut();
    onShortcutRangeChanged(GlobalParams::get().shortcut_range);
    onRemoteCtrlEnabled(GlobalParams::get().shortcut_ext);
    initHotkeySetSwitch();
}

// The hotkeys are made unregistered: the settings then register the set in
// force, so no other program's keys are grabbed for a moment at each start.
void MainUserUi::initGlobalShortcut()
{
    globalHotkeys_.clear();
    remoteHotkeys_.clear();
    for (const KeyRow& row : windowKeys())
        globalHotkeys_.append(newHotkey(&row, vesk::pc::SourceKey, kKeyPadReport));
    for (const KeyRow& row : remoteKeys())
        remoteHotkeys_.append(newHotkey(&row, vesk::pc::SourceRemote, kRemotePadReport));
}

QHotkey* MainUserUi::newHotkey(const KeyRow* row, ActionSourceType source, int stopReport)
{
    auto* hotkey = new QHotkey(QKeySequence(QLatin1String(row->key)), false, this);
    connect(hotkey, &QHotkey::activated, this, [this, row, source, hotkey] { runKey(*row, source, hotkey); });
    if (row->handler == &MainUserUi::keyMove)
        connect(hotkey, &QHotkey::released, this, [this, stopReport, arrow = row->arg] {
            stopPadByKey(arrow, stopReport);
        });
    return hotkey;
}

// Ctrl+Shift+Z toggles the global set as the setting page's switch does.
void MainUserUi::initHotkeySetSwitch()
{
    auto* toggle = new QHotkey(QKeySequence(QStringLiteral("Ctrl+Shift+Z")), true, this);
    connect(toggle, &QHotkey::activated, this, [this] {
        if (settingUi_)
            settingUi_->on_pbGlobalHotkeys_clicked();
        else
            onShortcutRangeChanged(GlobalParams::get().shortcut_range != 0 ? 0 : 1);
    });
}

void MainUserUi::onShortcutRangeChanged(int range)
{
    if (range != 0 && range != 1)
        return;
    const bool global = range == 1;
    for (QShortcut* shortcut : qAsConst(localShortcuts_))
        shortcut->setEnabled(!global);
    for (QHotkey* hotkey : qAsConst(globalHotkeys_))
        hotkey->setRegistered(global);
    GlobalParams::get().shortcut_range = range;
    GlobalParams::get().saveParams();
}

void MainUserUi::onRemoteCtrlEnabled(bool on)
{
    for (QHotkey* hotkey : qAsConst(remoteHotkeys_))
        hotkey->setRegistered(on);
    GlobalParams::get().shortcut_ext = on;
    GlobalParams::get().saveParams();
}

void MainUserUi::runKey(const KeyRow& row, ActionSourceType source, QObject* key)
{
    if (flowRunning()) {  // an upgrade or reset has the camera
        qDebug() << "Key ignored while a maintenance flow runs:" << row.key;
        return;
    }
    actionSource_ = source;
    (this->*row.handler)(row.arg);
    actionSource_ = vesk::pc::SourceMouse;
    if (row.handler == &MainUserUi::keySleepWake)
        restKey(key);
}

// The sleep key rests after use. It comes back only if its set is still in
// force then, so that a set switched off meanwhile stays wholly off.
void MainUserUi::restKey(QObject* key)
{
    setKeyActive(key, false);
    QTimer::singleShot(timing_.sleepKeyRestMs, this, [this, key] {
        if (keyInForce(key))
            setKeyActive(key, true);
    });
}

bool MainUserUi::keyInForce(QObject* key) const
{
    const GlobalParams& params = GlobalParams::get();
    auto* hotkey = qobject_cast<QHotkey*>(key);
    if (hotkey && remoteHotkeys_.contains(hotkey))
        return params.shortcut_ext;
    return (params.shortcut_range == 1) == (hotkey != nullptr);
}

void MainUserUi::setKeyActive(QObject* key, bool active)
{
    if (auto* shortcut = qobject_cast<QShortcut*>(key))
        shortcut->setEnabled(active);
    else if (auto* hotkey = qobject_cast<QHotkey*>(key))
        hotkey->setRegistered(active);
}

// An arrow hotkey: the hotkey facility passes on no repeats, and its
// release comes as a signal of its own.
void MainUserUi::keyMove(int arrow)
{
    if (keysUsable())
        holdArrow(arrow);
}

// An in-window arrow. Qt flags a repeat only when it sees the repeat's
// release and press together; a press of the arrow that drives the pad, or
// one that comes while that arrow's release waits, is a repeat all the same,
// and changes nothing. Another arrow's press makes a waiting release real.
void MainUserUi::keyWindowMove(int arrow)
{
    if (!keysUsable())
        return;
    const bool repeat = arrow == windowArrow_ && directionPad_->isHeld();
    if (!repeat && arrowStopTimer_.isActive()) {
        heldArrows_.removeAll(windowArrow_);
        windowHeldArrows_.removeAll(windowArrow_);
    }
    arrowStopTimer_.stop();
    if (repeat)
        return;
    holdArrow(arrow);
    if (!windowHeldArrows_.contains(arrow))
        windowHeldArrows_.append(arrow);
    windowArrow_ = arrow;
}

// The pad goes the way of the arrow pressed last among those held.
void MainUserUi::holdArrow(int arrow)
{
    heldArrows_.removeAll(arrow);
    heldArrows_.append(arrow);
    pressDirection(arrow);
}

// Another arrow still held keeps the pad going, its way; the last one stops it.
void MainUserUi::letGoOfArrow(int arrow, int report)
{
    const bool drove = !heldArrows_.isEmpty() && heldArrows_.last() == arrow;
    heldArrows_.removeAll(arrow);
    windowHeldArrows_.removeAll(arrow);
    if (heldArrows_.isEmpty())
        releaseDirection(report);
    else if (drove)
        pressDirection(heldArrows_.last());
}

// The release of an arrow hotkey; in-window arrows stop through keyReleaseEvent.
void MainUserUi::stopPadByKey(int arrow, int report)
{
    if (keysUsable())
        letGoOfArrow(arrow, report);
    else
        heldArrows_.removeAll(arrow);
}

// The window loses the focus: the release of an in-window arrow that drives
// the pad would go to another window, so the pad stops. A hotkey's drive
// goes on (its grab takes the focus while its key is held).
void MainUserUi::stopWindowArrows()
{
    const bool windowDrives =
        windowArrow_ != 0 || (!heldArrows_.isEmpty() && windowHeldArrows_.contains(heldArrows_.last()));
    if (!directionPad_->isHeldByPointer() && !windowDrives)
        return;
    windowArrow_ = 0;
    arrowStopTimer_.stop();
    heldArrows_.clear();
    windowHeldArrows_.clear();
    directionPad_->release();
}

// Every key release of the program comes here (eventFilter). A release of
// the in-window arrow that drives the pad waits a moment for the press that
// would make it a repeat; any other arrow's counts at once.
void MainUserUi::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    if (!isArrow(event->key()))
        return;
    if (event->key() == windowArrow_ && directionPad_->isHeld()) {
        if (!arrowStopTimer_.isActive())
            arrowStopTimer_.start();
        return;
    }
    letGoOfArrow(event->key(), kKeyPadReport);
}

void MainUserUi::keySelectDev(int number)
{
    if (number <= devButtons_.size() && devButtons_.at(number - 1)->hasDevice())
        onDevSelectedChanged(devButtons_.at(number - 1));
}

void MainUserUi::zoomStep(int direction)
{
    qint64& last = direction > 0 ? g_lastZoomInMs : g_lastZoomOutMs;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - last < timing_.zoomKeyGapMs)
        return;
    const int value = ui->slZoom->value();
    if (direction > 0)
        ui->slZoom->setValue(value < 100 - kZoomKeyStep ? value + kZoomKeyStep : 100);
    else
        ui->slZoom->setValue(value < kZoomKeyStep + 1 ? 0 : value - kZoomKeyStep);
    last = now;
}

void MainUserUi::shortcutZoomIn()
{
    zoomStep(1);
}

void MainUserUi::shortcutZoomOut()
{
    zoomStep(-1);
}

void MainUserUi::keyZoomStep(int direction)
{
    if (!keysUsable())
        return;
    pendingZoomSource_ = actionSource_;
    zoomStep(direction);
}

void MainUserUi::keyZoomTo(int value)
{
    if (!keysUsable())
        return;
    pendingZoomSource_ = actionSource_;
    ui->slZoom->setValue(value);
}

void MainUserUi::keyResetDirection(int)
{
    if (keysUsable())
        on_pbDirectionReset_clicked();
}

// The virtual background first: of the two, it is what the user sees.
void MainUserUi::keySwitchOff(int)
{
    if (!devAwake_)
        return;
    if (virtualBgOn_)
        on_pbVirtualBg_clicked();
    else if (autoFramingOn_)
        on_pbAutoFraming_clicked();
}

void MainUserUi::keySettingsPage(int)
{
    if (settingUi_ && settingUi_->isVisible())
        on_pbCameraCtrl_clicked();
    else
        on_pbSystemSetting_clicked();
}

void MainUserUi::keySleepWake(int)
{
    on_devSleepResume();
}

void MainUserUi::keyView(int fov)
{
    if (!keysUsable())
        return;
    if (fov == 2)
        on_pbView65_clicked();
    else if (fov == 1)
        on_pbView78_clicked();
    else
        on_pbView86_clicked();
}

void MainUserUi::keyBackground(int option)
{
    if (!devAwake_ || !hasVirtualBg())
        return;
    if (!virtualBgOn_)
        on_pbVirtualBg_clicked();
    if (option == 0)
        on_pbBgBlur_clicked();
    else if (option == 1)
        on_pbBgGreenScreen_clicked();
    else
        on_pbBgReplace_clicked();
}

void MainUserUi::keyFraming(int single)
{
    if (!devAwake_)
        return;
    if (!autoFramingOn_)
        on_pbAutoFraming_clicked();
    if (single)
        on_pbSingleMode_clicked();
    else
        on_pbGroupMode_clicked();
}

// 86 -> 65 -> 78 -> 86, by the view button that shows the selected look.
void MainUserUi::keyViewCycle(int)
{
    if (!keysUsable())
        return;
    const QString selected = MainUiStyle::button(MainUiStyle::Rounded, MainUiStyle::Selected);
    if (ui->pbView86->styleSheet() == selected)
        on_pbView65_clicked();
    else if (ui->pbView65->styleSheet() == selected)
        on_pbView78_clicked();
    else
        on_pbView86_clicked();
}

// Blur -> green screen -> replacement -> blur, by the option page shown.
void MainUserUi::keyBackgroundCycle(int)
{
    if (!devAwake_ || !hasVirtualBg())
        return;
    if (!virtualBgOn_) {
        on_pbVirtualBg_clicked();
        return;
    }
    switch (ui->swOptionSet->currentIndex()) {
    case 0:
        on_pbBgGreenScreen_clicked();
        break;
    case 1:
        on_pbBgReplace_clicked();
        break;
    default:
        on_pbBgBlur_clicked();
        break;
    }
}

void MainUserUi::keyFramingToggle(int)
{
    if (!devAwake_)
        return;
    if (!autoFramingOn_) {
        on_pbAutoFraming_clicked();
        return;
    }
    if (ui->pbGroupMode->styleSheet() == MainUiStyle::button(MainUiStyle::RightSegment, MainUiStyle::Selected))
        on_pbSingleMode_clicked();
    else
        on_pbGroupMode_clicked();
}

void MainUserUi::keyStepDev(int direction)
{
    if (direction < 0)
        shortcutPreDev();
    else
        shortcutNextDev();
}

int MainUserUi::currentButtonIndex() const
{
    for (int i = 0; i < devButtons_.size(); ++i) {
        if (devButtons_.at(i)->hasDevice() && devButtons_.at(i)->isSelected())
            return i;
    }
    return -1;
}

// No wrap-around: the first stays first; with none selected, the last.
void MainUserUi::shortcutPreDev()
{
    if (devButtons_.isEmpty())
        return;
    const int current = currentButtonIndex();
    onDevSelectedChanged(devButtons_.at(current < 0 ? devButtons_.size() - 1 : qMax(current - 1, 0)));
}

void MainUserUi::shortcutNextDev()
{
    if (devButtons_.isEmpty())
        return;
    const int current = currentButtonIndex();
    const int last = devButtons_.size() - 1;
    onDevSelectedChanged(devButtons_.at(current < 0 ? last : qMin(current + 1, last)));
}
