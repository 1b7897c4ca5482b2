#include "orlacam/window/MainUserUi.h"

#include "cloud/CloudTaskPool.h"
#include "hotkey/QHotkey.h"
#include "download/PkgDownloader.h"
#include "httpserver/HttpServerHost.h"
#include "orlacam/window/DevButton.h"
#include "orlacam/window/DevSleep.h"
#include "orlacam/window/DirectionHandler.h"
#include "orlacam/window/MainUiStyle.h"
#include "orlacam/flows/MaintenanceFlow.h"
#include "uicomm/AfterFirstPaint.h"
#include "uicomm/ForMoreUi.h"
#include "uicomm/Language.h"
#include "uicomm/LinkOpener.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/ScreenPlacement.h"
#include "uicomm/UicommResources.h"
#include "ui_MainUserUi.h"
#include "uvc/CameraHttpCall.h"
#include "uvc/UvcDevices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QTranslator>

#include <algorithm>
#include <utility>

using vesk::pc::GlobalParams;
using vesk::pc::UvcDevices;

namespace {

constexpr int kStateReportMs = 600000;
// Shutdown waits: every one bounded, so a stuck camera or task cannot hang
// the exit. Cloud tasks are asked to stop, so they end long before theirs.
constexpr int kCloudShutdownMs = 5000;
constexpr int kRegistryThreadWaitMs = 10000;
constexpr int kCameraHttpWaitMs = 3000;

struct LanguageFile
{
    int type;
    const char* code;
};

const LanguageFile kLanguageFiles[] = {
    {1, "zh_CN"}, {2, "zh_HK"}, {3, "jp_JP"}, {4, "ge_GE"}, {5, "es_ES"},
};

QString languageCode(int type)
{
    for (const LanguageFile& file : kLanguageFiles) {
        if (file.type == type)
            return QLatin1String(file.code);
    }
    return QStringLiteral("en_US");
}

} // namespace

// The icons live in this static library; nothing else would pull them in.
static void initResources()
{
    Q_INIT_RESOURCE(orlacam);
    initUicommResources();
}

MainUserUi::MainUserUi(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainUserUi)
{
    initResources();
    // Before the form: a change of flags re-parents the window, which styles
    // every child again.
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    ui->setupUi(this);

    devSleep_ = new DevSleep(this);
    connect(devSleep_, &DevSleep::devChanged, this, &MainUserUi::onDevChangedFromSleepUi);
    connect(devSleep_, &DevSleep::devResumed, this, [this] {
        actionSource_ = vesk::pc::SourceMouse;
        onDevResumed();
    });
    devSleep_->hide();

    initVar();
    initUI();
    initLocalShortcut();
    // Keys of the whole desktop and the settings' save: not for the first picture.
    AfterFirstPaint::run(this, [this] { initSystemKeys(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move((screen->geometry().width() - width()) / 2, (screen->geometry().height() - height()) / 2);
    QTimer::singleShot(timing_.softwareQueryDelayMs, this, &MainUserUi::onSoftwareUpgrade);
    onChangeLanguage(GlobalParams::get().language_type);
    qDebug() << "Main window built";
}

// About a fifth of the start when built with the window; most users never open it.
SystemSettingUi* MainUserUi::settingWindow()
{
    if (settingUi_)
        return settingUi_;
    settingUi_ = new SystemSettingUi(nullptr);
    // A tool window of the main window (transient for it): window managers
    // keep it above the main window, whichever of the two was clicked last.
    settingUi_->setParent(this, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowCloseButtonHint);
    settingUi_->setHost(this);
    connect(settingUi_->languagePage(), &Language::languageChanged, this, &MainUserUi::onChangeLanguage);
    ForMoreUi* more = settingUi_->morePage();
    connect(more, &ForMoreUi::exportLog, this, &MainUserUi::onExportLog);
    connect(more, &ForMoreUi::upgradeManual, this, &MainUserUi::onUpgradeManual);
    connect(more, &ForMoreUi::manualUpgrade, this, &MainUserUi::onManualUpgrade);
    connect(more, &ForMoreUi::restoreFactorySetting, this, &MainUserUi::onRestoreFactorySetting);
    connect(more, &ForMoreUi::upgradeHelp, this, &MainUserUi::onUpgradeHelp);
    connect(settingUi_, &SystemSettingUi::openVideoCfg, this, &MainUserUi::onOpenVideoCfg);
    connect(settingUi_, &SystemSettingUi::sendSettingEvent, this, &MainUserUi::recvSignalFromSysSetting);
    connect(settingUi_, &SystemSettingUi::softwareUpgrade, this, &MainUserUi::onSoftwareUpgrade);
    connect(settingUi_, &SystemSettingUi::firmwareUpgrade, this, &MainUserUi::onFirmwareUpgrade);
    const auto pushes = std::exchange(settingPushes_, {});
    for (const auto& push : pushes)
        push.second(*settingUi_);
    return settingUi_;
}

void MainUserUi::pushToSettingPage(SettingPush kind, std::function<void(SystemSettingUi&)> push)
{
    if (settingUi_) {
        push(*settingUi_);
        return;
    }
    // Only the last push of a kind is kept: it sets all that shows of the
    // kind (rows a push for no camera leaves alone are greyed until the next
    // camera's push sets them).
    settingPushes_.erase(std::remove_if(settingPushes_.begin(), settingPushes_.end(),
                                        [kind](const auto& waiting) { return waiting.first == kind; }),
                         settingPushes_.end());
    settingPushes_.append({kind, std::move(push)});
}

MainUserUi::~MainUserUi()
{
    // A flow ends first: it may wait for a camera task.
    delete flow_.data();
    deInit();
    delete ui;
    ui = nullptr;
    // The page, a child, goes after the window's own part.
    if (settingUi_)
        settingUi_->setHost(nullptr);
    qDebug() << "Main window closed";
}

void MainUserUi::initVar()
{
    // The desktop's opener (xdg-open); tests put their own.
    urlOpener = &LinkOpener::desktop;
    videoCfg_ = false;
    zoomHoldOff_ = -3;
    pendingZoomSource_ = vesk::pc::SourceNone;
    pendingBlurSource_ = vesk::pc::SourceNone;
    padReportCounter_ = -1;
    actionSource_ = vesk::pc::SourceMouse;
    sizeButtonsHidden_ = false;
    devAwake_ = false;
    dev4K_ = false;
    lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    currSn_.clear();

    initRegistry();

    for (const QScreen* screen : QGuiApplication::screens()) {
        desktopRight_ = qMax(desktopRight_, screen->geometry().x() + screen->geometry().width());
        desktopLeft_ = qMin(desktopLeft_, screen->geometry().x());
    }

    connect(&stateReportTimer_, &QTimer::timeout, this, &MainUserUi::onStateReportTimer);
    stateReportTimer_.start(kStateReportMs);
    initDirectionPad();
    initPictureSlots();
}

// The registry's slots and its settle waits run on a thread of their own;
// hot-plug starts only once the registry is there, so that its first scan
// is delivered on that thread.
void MainUserUi::initRegistry()
{
    registry_ = &UvcDevices::get();
    connect(registry_, &UvcDevices::devChanged, this, &MainUserUi::onDevChanged, Qt::QueuedConnection);
    connect(registry_, &UvcDevices::devAccessDenied, this, &MainUserUi::onDevAccessDenied,
            Qt::QueuedConnection);
    registryThread_ = new QThread;
    registryThread_->setObjectName(QStringLiteral("CameraRegistry"));
    registry_->moveToThread(registryThread_);
    registryThread_->start(QThread::InheritPriority);
    vesk::pc::initMacDeviceNotification();
}

void MainUserUi::initUI()
{
    setFocusPolicy(Qt::StrongFocus);
    initPanel();
    on_pbCameraCtrl_clicked();
    setWindowIcon(QIcon(QStringLiteral(":/source/orlacam/icon/orla_icon.ico")));
    DevButton* placeholder = newDevButton(0);
    placeholder->setText(tr("None"));
    devButtons_.append(placeholder);
    placeholder->show();
    setUiState(false);
    updateUI();
    enableVirtualBg(false);  // as the setting page's switch starts
}

void MainUserUi::onChangeLanguage(int type)
{
    if (translator_) {
        QCoreApplication::removeTranslator(translator_);
        delete translator_;
    }
    translator_ = new QTranslator(this);
    const QString file = QCoreApplication::applicationDirPath() + QLatin1String("/..")
                         + QLatin1String("/language/OrlaCam_") + languageCode(type) + QLatin1String(".qm");
    if (!translator_->load(file))
        qDebug() << "Translation not loaded:" << file;
    QCoreApplication::installTranslator(translator_);
    GlobalParams::get().language_type = type;
}

void MainUserUi::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && ui) {
        qDebug() << "Switch language event";
        ui->retranslateUi(this);
        updateUI();
    }
    // A pad held by the pointer or an in-window arrow while the window loses
    // focus would never see its release.
    if (event->type() == QEvent::ActivationChange && directionPad_ && !isActiveWindow())
        stopWindowArrows();
    QMainWindow::changeEvent(event);
}

// Settings replaced at start are told once, after the window is on screen.
void MainUserUi::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    const QString keptAside = GlobalParams::get().keptAsidePath();
    if (keptAside.isEmpty())
        return;
    qInfo() << "Telling the user that the settings were replaced; the unreadable file is" << keptAside;
    QTimer::singleShot(0, this, [this, keptAside] { tellSettingsKeptAside(keptAside); });
}

void MainUserUi::tellSettingsKeptAside(const QString& keptAside)
{
    auto* box = new MsgInfoUi(this);
    box->setObjectName(QStringLiteral("settingsKeptAside"));
    box->setTitle(tr("Settings reset"));
    box->setText(tr("The settings file could not be read and was replaced. Camera names and the language may "
                    "have been reset. The old file is kept as:")
                 + QLatin1Char('\n') + QDir::toNativeSeparators(keptAside));
    box->makeTextSelectable();
    box->setButtonText(QMessageBox::Yes, tr("OK"));
    box->open();
}

void MainUserUi::recvSignalFromSysSetting(SystemSettingUi::SystemSettingEvent event)
{
    switch (event) {
    case SystemSettingUi::SettingPageClosed:
        on_pbCameraCtrl_clicked();
        return;
    case SystemSettingUi::GlobalHotkeysOn:
        onShortcutRangeChanged(1);
        return;
    case SystemSettingUi::GlobalHotkeysOff:
        onShortcutRangeChanged(0);
        return;
    case SystemSettingUi::RemoteCtrlOn:
        onRemoteCtrlEnabled(true);
        return;
    case SystemSettingUi::RemoteCtrlOff:
        onRemoteCtrlEnabled(false);
        return;
    }
    if (!SystemSettingUi::isDeviceActivity(event))
        return;
    // The page just sent a command: the camera's next status may predate it.
    if (const auto device = currentDevice()) {
        device->setStatusPollCounter(0);
        lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    }
}

void MainUserUi::on_pbCameraCtrl_clicked()
{
    ui->pbCameraCtrl->setIcon(QIcon(QStringLiteral(":/source/orlacam/icon/btn_features_pre.png")));
    ui->pbCameraCtrl->setStyleSheet(MainUiStyle::leftColumnButton(true));
    ui->pbSystemSetting->setIcon(QIcon(QStringLiteral(":/source/orlacam/icon/btn_setting.png")));
    ui->pbSystemSetting->setStyleSheet(MainUiStyle::leftColumnButton(false));
    if (settingUi_)
        settingUi_->hide();
}

// An open page keeps the place it moves to with the window; the gear places
// it again only where it is not whole on the screen.
void MainUserUi::on_pbSystemSetting_clicked()
{
    if (!settingWindow()->isVisible()) {
        ui->pbCameraCtrl->setIcon(QIcon(QStringLiteral(":/source/orlacam/icon/btn_features.png")));
        ui->pbCameraCtrl->setStyleSheet(MainUiStyle::leftColumnButton(false));
        ui->pbSystemSetting->setIcon(QIcon(QStringLiteral(":/source/orlacam/icon/btn_setting_pre.png")));
        ui->pbSystemSetting->setStyleSheet(MainUiStyle::leftColumnButton(true));
        settingUi_->show();
        placeSettingWindow();
    } else if (!availableScreenArea(settingUi_->frameGeometry().center()).contains(settingUi_->frameGeometry())) {
        placeSettingWindow();
    }
    // Clicked again after another window took the front: the page comes back over it.
    settingUi_->raise();
    settingUi_->activateWindow();
}

// Beside the main window, on the side where the setting window fits; where
// it would reach past the screen there, beside it on the other side or over
// it, below its title bar.
void MainUserUi::placeSettingWindow()
{
    const QRect frame = frameGeometry();
    const int left = frame.left();
    const int right = frame.right() + 1;
    const int width = settingUi_->frameGeometry().width();
    int x = left - width;
    if (left > desktopRight_ - width) {
        x = left - width;
    } else if (left < desktopLeft_ + width) {
        x = right;
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int screenWidth = screen ? screen->geometry().width() : 0;
        int m = left;
        while (screenWidth > 0 && m < 0)
            m += screenWidth;
        while (screenWidth > 0 && m > screenWidth)
            m -= screenWidth;
        x = (m <= width || m >= screenWidth - width) ? right : left - width;
    }
    const QRect beside(QPoint(x, frame.top()), settingUi_->frameGeometry().size());
    if (availableScreenArea(beside.center()).contains(beside))
        settingUi_->move(beside.topLeft());
    else
        placeWindow(settingUi_, this);
}

void MainUserUi::keyPressEvent(QKeyEvent* event)
{
    Q_UNUSED(event)  // key presses belong to the shortcuts, not to the window
}

bool MainUserUi::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && event->type() == QEvent::KeyRelease)
        keyReleaseEvent(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

// The open page goes with the window, by the same offset.
void MainUserUi::moveEvent(QMoveEvent* event)
{
    if (settingUi_ && settingUi_->isVisible())
        settingUi_->move(settingUi_->pos() + event->pos() - event->oldPos());
    QMainWindow::moveEvent(event);
}

void MainUserUi::focusInEvent(QFocusEvent* event)
{
    if (settingUi_)
        settingUi_->hideSecondMenu();
    QMainWindow::focusInEvent(event);
}

void MainUserUi::closeEvent(QCloseEvent* event)
{
    if (settingUi_)
        settingUi_->close();
    event->accept();
}

// Shutdown order: timers, hot-plug, thread pool, device threads, registry,
// the camera HTTP thread.
// First of all the registry's settle waits are cut short, so that its thread
// ends at once.
void MainUserUi::deInit()
{
    // A pad still held stops its camera while the window is whole; the hide
    // of the pad as the window is torn down must not reach the window.
    arrowStopTimer_.stop();
    directionPad_->release();
    disconnect(directionPad_, nullptr, this, nullptr);
    registry_->beginShutdown();
    stateReportTimer_.stop();
    zoomTrailTimer_.stop();
    qDeleteAll(findChildren<QTimer*>(QStringLiteral("arrivalReport"), Qt::FindDirectChildrenOnly));
    vesk::pc::deinitMacDeviceNotification();
    disconnect(registry_, nullptr, this, nullptr);
    detachSelected();
    vesk::pc::CloudTaskPool::global().shutdown(kCloudShutdownMs);
    registry_->releaseAll();
    qDebug() << "Camera objects released";
    stopRegistryThread();
    // An arrival that was still settling may have listed a camera meanwhile.
    registry_->releaseAll();
    vesk::pc::CameraHttpCall::stopWorker(kCameraHttpWaitMs);

    delete settingUi_;
    settingUi_ = nullptr;
    delete devSleep_;
    devSleep_ = nullptr;
    qDeleteAll(devButtons_);
    devButtons_.clear();
    qDeleteAll(localShortcuts_);
    localShortcuts_.clear();
    qDeleteAll(globalHotkeys_);
    globalHotkeys_.clear();
    qDeleteAll(remoteHotkeys_);
    remoteHotkeys_.clear();
}

// The registry outlives the window: once its thread has ended it comes back
// to the main thread, so that a later window (or the exit) finds it on a
// live thread.
void MainUserUi::stopRegistryThread()
{
    if (!registryThread_)
        return;
    registryThread_->quit();
    if (!registryThread_->wait(kRegistryThreadWaitMs)) {
        // Deleting a running thread would abort; it is left to the exit.
        qWarning() << "Camera registry thread still running after" << kRegistryThreadWaitMs << "ms";
        registryThread_ = nullptr;
        return;
    }
    delete registryThread_;
    registryThread_ = nullptr;
    registry_->moveToThread(QThread::currentThread());
    qDebug() << "Camera registry thread stopped";
}
