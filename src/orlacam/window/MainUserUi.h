#pragma once

#include "cloud/ActionSourceType.h"
#include "comm/GlobalParams.h"
#include "orlacam/flows/FlowHost.h"
#include "orlacam/settings/SettingPageHost.h"
#include "orlacam/settings/SwitchIcons.h"
#include "orlacam/settings/SystemSettingUi.h"
#include "orlacam/flows/WindowTiming.h"
#include "uvc/CameraStatus.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QMainWindow>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVector>

#include <array>
#include <functional>
#include <memory>


class DevButton;
class DevSleep;
class DirectionHandler;
class ImageItem;
class PictureJourney;
class QHotkey;
class QShortcut;
class DownloadProgress;
class MaintenanceFlow;
class QThread;
class QTranslator;
namespace Ui {
class MainUserUi;
}
namespace vesk {
namespace pc {
class HttpServerHost;
class PkgDownloader;
class UvcDevice;
class UvcDevices;
}
}

// The application's only main window: the device row, the sleep overlay and
// the area of the camera control panel, beside the left column that switches
// between the panel and the system setting window.
class MainUserUi : public QMainWindow, public SettingPageHost, public FlowHost
{
    Q_OBJECT
public:
    explicit MainUserUi(QWidget* parent = nullptr);
    ~MainUserUi() override;

    // Brings the whole window in line with the camera list and the settings.
    void updateUI();
    void setUiState(bool connected);
    void enableVirtualBg(bool on) override;

    // Installed on the application: sees every key release first, never eats events.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // What the setting pages and the other parts of the window read. The
    // system setting page is built on first use, showing all the window told
    // it before.
    SystemSettingUi* settingWindow();
    DevSleep* sleepOverlay() const { return devSleep_; }
    bool isDevAwake() const override { return devAwake_; }
    // The window's waits; its flows take them when they start.
    const WindowTiming& timing() const override { return timing_; }
    void setTiming(const WindowTiming& timing) { timing_ = timing; }
    bool isDev4K() const { return dev4K_; }
    qint64 lastUserActionMs() const { return lastUserActionMs_; }
    void setLastUserActionMs(qint64 ms) override { lastUserActionMs_ = ms; }
    QString currentSn() const override { return currSn_; }
    QString zoomText() const { return zoomText_; }
    QList<DevButton*> devButtons() const { return devButtons_; }
    vesk::pc::ActionSourceType actionSource() const { return actionSource_; }
    bool isAutoFramingOn() const { return autoFramingOn_; }
    bool isVirtualBgOn() const { return virtualBgOn_; }
    QJsonObject softwareUpdateInfo() const { return softwareUpdateInfo_; }
    int padReportCounter() const { return padReportCounter_; }
    // The key sets, in table order: in-window, global and remote controller.
    QList<QShortcut*> localShortcuts() const { return localShortcuts_; }
    QList<QHotkey*> globalHotkeys() const { return globalHotkeys_; }
    QList<QHotkey*> remoteHotkeys() const { return remoteHotkeys_; }

    // The direction pad. Arrow keys and the remote controller's keys drive it
    // here: full speed towards a Qt arrow key, and the stop, which starts the
    // pad report counter at reportStart (31 keys, 61 remote controller).
    DirectionHandler* directionPad() const { return directionPad_; }
    void pressDirection(int key);
    void releaseDirection(int reportStart = 31);
    // An in-window arrow's release still waits for the press of a repeat.
    bool arrowReleaseWaits() const { return arrowStopTimer_.isActive(); }
    QList<ImageItem*> imageItems() const { return imageItems_; }

    // While an upgrade, log export or factory reset runs, the selection and
    // the hotkeys leave the cameras alone.
    bool flowRunning() const { return !flow_.isNull(); }
    // What the maintenance flows share: one downloader with its box, and the
    // local firmware server, each made on first use.
    vesk::pc::PkgDownloader& downloader() override;
    DownloadProgress* downloadBox() override;
    vesk::pc::HttpServerHost& serverHost() override;
    // The last firmware package the query server named for the selected kind of camera.
    QJsonObject getUgInfo() const override { return ugInfo_[dev4K_ ? 1 : 0]; }
    // The release notes of a package reply in the current language.
    QString getUgTipsInfo(const QJsonObject& reply) const override;
    // Opens a downloaded installer; true when the opener started.
    std::function<bool(const QUrl&)> urlOpener;
    std::function<bool(const QUrl&)> linkOpener() const override { return urlOpener; }
    QWidget* flowWindow() override { return this; }

    // True, after telling the user, when the camera's firmware is older than minimum.
    bool onPromptDevUpgrade(const QString& current, const QString& minimum, const QString& shown) override;
    void showInfoDialog(const QString& title, const QString& text);
    // Tells the user that the settings file could not be read and was
    // replaced, naming where the old one was kept (the window's first show
    // does so when the settings were replaced at start).
    void tellSettingsKeptAside(const QString& keptAside);

public slots:
    void onChangeLanguage(int type);
    void recvSignalFromSysSetting(SystemSettingUi::SystemSettingEvent event);
    void onOpenVideoCfg(bool on) { videoCfg_ = on; }
    void on_pbCameraCtrl_clicked();
    void on_pbSystemSetting_clicked();
    void on_pbDevStatus_clicked();
    void onDevChangedFromSleepUi(int index);
    void onDevSnMarked(const QString& sn) override { snToReselect_ = sn; }

    // Device list and selection.
    void onDevChanged(const QByteArray& sn, bool present);
    // A camera this user may not open: how to install the udev rule, once a run.
    void onDevAccessDenied(const QString& node);
    void onDevSelectedChanged(DevButton* button);
    void onDevRenamed(DevButton* button);
    void onDevStateUpdate(vesk::pc::CameraStatus status);
    void onDevImageDownload(unsigned int type, int result);
    void onCurrDevStateRefresh() override;
    // Wakes the selected camera; then (if given) follows once it shows
    // awake, if it is still the selected one.
    void onDevResumed(std::function<void()> then = {});

    // Asks the query server for the newest software, once; then hands what
    // it said to onInfoFromServer.
    void onSoftwareUpgrade();
    // The software query's reply: the newest package, or empty for none.
    void onInfoFromServer(const QJsonObject& info);
    // The maintenance flows; one at a time.
    void onFirmwareUpgrade();
    void onExportLog();
    void onManualUpgrade();
    void onRestoreFactorySetting();
    void onUpgradeManual();
    void onUpgradeHelp();
    // Key sets.
    void onShortcutRangeChanged(int range);
    void onRemoteCtrlEnabled(bool on);
    void shortcutPreDev();
    void shortcutNextDev();
    // One zoom step as the zoom keys make it, without their conditions.
    void shortcutZoomIn();
    void shortcutZoomOut();

    // Camera control panel.
    void on_slZoom_sliderPressed();
    void on_slZoom_sliderMoved(int value);
    void on_slZoom_sliderReleased();
    void on_slZoom_valueChanged(int value);
    void on_slBlurLevel_sliderPressed();
    void on_slBlurLevel_sliderMoved(int value);
    void on_slBlurLevel_sliderReleased();
    void on_slBlurLevel_valueChanged(int value);
    void on_pbAutoFraming_clicked();
    void switchAutoFraming(const QString& sn);
    void on_pbGroupMode_clicked();
    void on_pbSingleMode_clicked();
    void on_pbCloseUp_clicked();
    void on_pbUpperBody_clicked();
    void on_pbView65_clicked();
    void on_pbView78_clicked();
    void on_pbView86_clicked();
    void on_pbVirtualBg_clicked();
    void on_pbBgBlur_clicked();
    void on_pbBgGreenScreen_clicked();
    void on_pbBgReplace_clicked();
    void on_pbColorG_clicked();
    void on_pbColorB_clicked();
    void on_pbAutoFramingHelp_clicked();
    void on_pbVirtualBgHelp_clicked();
    void on_pbSelectHelp_clicked();
    void on_pbDirectionHelp_clicked();
    void on_devSleepResume();

    // Direction pad and gimbal.
    void onGimbalCtrlRef(double vertical, double horizontal, bool first);
    void on_pbDirectionReset_clicked();
    // Moves the gimbal's three axes to a stored position, all arriving
    // together, the longest way at speed; then zooms to zoomRatio.
    void onMoveToPrePos(short a, short b, short c, double speed, double zoomRatio);

    // Virtual-background pictures: the slots' actions, and adding a picture
    // to a slot (true when the choice of a file has begun; the upload
    // follows from the dialogs' answers).
    void onImageAction(int action);
    bool onSelectPicAndUpload(ImageItem* item);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void initVar();
    void initUI();
    void initRegistry();
    void initLocalShortcut();
    // The system-wide and remote sets as the settings have them, and the
    // set switch; once the window has painted.
    void initSystemKeys();
    void initGlobalShortcut();
    void initHotkeySetSwitch();

    // Key sets. A row is a key, its handler and the handler's argument; the
    // handlers run with the action source of their set.
    using KeyHandler = void (MainUserUi::*)(int);
    struct KeyRow
    {
        const char* key;
        KeyHandler handler;
        int arg;
    };
    static const QVector<KeyRow>& windowKeys();
    static const QVector<KeyRow>& remoteKeys();
    QHotkey* newHotkey(const KeyRow* row, vesk::pc::ActionSourceType source, int stopReport);
    void runKey(const KeyRow& row, vesk::pc::ActionSourceType source, QObject* key);
    void restKey(QObject* key);
    bool keyInForce(QObject* key) const;
    static void setKeyActive(QObject* key, bool active);
    bool keysUsable() const { return devAwake_ && !autoFramingOn_; }
    // The panel shows a virtual background for the selected camera: the keys
    // act on it only then.
    bool hasVirtualBg() const;
    void zoomStep(int direction);
    void stopPadByKey(int arrow, int report);
    void stopWindowArrows();
    void holdArrow(int arrow);
    void letGoOfArrow(int arrow, int report);
    void keyMove(int arrow);
    void keyWindowMove(int arrow);
    void keySelectDev(int number);
    void keyZoomStep(int direction);
    void keyZoomTo(int value);
    void keyResetDirection(int);
    void keySwitchOff(int);
    void keySettingsPage(int);
    void keySleepWake(int);
    void keyView(int fov);
    void keyBackground(int option);
    void keyFraming(int single);
    void keyViewCycle(int);
    void keyBackgroundCycle(int);
    void keyFramingToggle(int);
    void keyStepDev(int direction);
    int currentButtonIndex() const;
    void deInit();
    void stopRegistryThread();

    // Device row.
    void addOneDev(const vesk::pc::GlobalParams::DevInfo& record);
    void removeOneDev(const QString& sn);
    void removeButtons(const QString& sn);
    void dropAwayButton(const QString& sn);
    DevButton* buttonOf(const QString& sn) const;
    int placeFor(const QString& sn) const;
    void keepInRowOrder(const QString& sn, bool last);
    void renumberButtons();
    void reselected(const QString& sn);
    DevButton* newDevButton(int index);
    QString freeDevName() const;
    void scheduleArrivalReports(const QString& sn);
    void onStateReportTimer();
    void loadSelectedState(const QString& sn);
    void detachSelected();
    void showZoom(int zoom);
    void applyStatus(const vesk::pc::CameraStatus& status, int productType);
    void setMediaMode(int mode, int bgMode, int maskLevel, int bgColor, int imageIndex, int fov,
                      int afMode, int afSize);
    void showMediaMode(const vesk::pc::CameraStatus& status, int productType);
    void showSleepOverlay(bool show);
    void sleepSelected(int pollCounter);
    void wakeSelected(int pollCounter, std::function<void()> then = {});
    void showAwake(const QString& sn, vesk::pc::ActionSourceType source);
    void queueThumbnails(const QSharedPointer<vesk::pc::UvcDevice>& device);
    void setDevStateOnPages(bool awake);
    QSharedPointer<vesk::pc::UvcDevice> currentDevice() const;
    void placeSettingWindow();

    // What the window tells the system setting page. Until the page is built
    // the last push of each kind waits for it, in the order they came.
    enum class SettingPush { Camera, ButtonMode, AutoSleep, NoiseCancellation, VirtualBg, DevState, SoftwareUpgrade };
    void pushToSettingPage(SettingPush kind, std::function<void(SystemSettingUi&)> push);
    // Binds the page to a camera (empty: none); the firmware query and the
    // panel's virtual background follow the camera, page or no page.
    void bindSettingPage(const QString& sn, const vesk::pc::CameraStatus& status = {});
    void showButtonModeOnPage(int mode);
    void showVirtualBgSwitch(int value);
    void runFlow(MaintenanceFlow* flow);

    // Control panel.
    void setAutoFramingUiEnabled(bool enabled, int mode, int size);
    void setBgProtectAreaUiEnabled(bool enabled, int bgMode, int blurLevel, int bgColor, int pictureIndex);
    void setViewAreaUiEnabled(bool enabled, int fov);
    void setBgColor(int color);
    void initPanel();
    void placeHelpButtons();
    QString zoomRatioText(int position) const;
    QSharedPointer<vesk::pc::UvcDevice> markedCommand(int pollCounter);
    void sendZoom(int position);
    void sendBlurLevel(int position);
    void showBlurLevel(int level);
    void selectFramingMode(bool single);
    void selectFramingSize(int size);
    void selectView(int fov, const char* shown);
    void selectBgOption(int option);
    void chooseColor(int color);
    void lockSwitch(QWidget* button);
    void showHelp(const QString& text);
    void runInfoBox(const QString& title, const QString& text, const QString& yesText = QString(),
                    int height = 0);
    void styleSizeButtons(int selected);
    void setSwitchIcon(QWidget* button, bool on);
    void styleViewButtons(int fov);
    // A field of the selected camera's status, or the window's own value
    // where the camera's family does not report it.
    int reportedOr(const vesk::pc::CameraStatus& status, int type, vesk::pc::CameraStatus::Field field,
                   int own) const;
    void styleBgOptions(int option);
    void disableBgArea();
    void onZoomTrail();

    // Direction pad and pictures.
    void initDirectionPad();
    void moveGimbal(vesk::pc::UvcDevice& device, const std::array<int, 3>& target, const std::array<int, 3>& now,
                    double speed);
    void initPictureSlots();
    void selectPictureSlot(ImageItem* item);
    void usePicture(vesk::pc::UvcDevice& device, ImageItem* item);
    void setPictureSlotStates(bool enabled, int pictureIndex);
    void clearPictureSlots();
    void previewPicture(int slot);

    Ui::MainUserUi* ui = nullptr;
    QList<DevButton*> devButtons_;
    SystemSettingUi* settingUi_ = nullptr;
    QVector<QPair<SettingPush, std::function<void(SystemSettingUi&)>>> settingPushes_;
    QJsonObject ugInfo_[2];  // plain, 4K
    DevSleep* devSleep_ = nullptr;
    vesk::pc::UvcDevices* registry_ = nullptr;
    QThread* registryThread_ = nullptr;
    QString currSn_;
    QTranslator* translator_ = nullptr;
    bool videoCfg_ = false;
    int zoomHoldOff_ = -3;
    bool virtualBgOn_ = false;
    bool autoFramingOn_ = false;
    // What the panel shows of the fields a family may not report (a Zuki's
    // status has no media mode, view or framing): the selected camera's, and
    // each camera's as the selection left it, shown again when it returns.
    struct OwnState
    {
        int mediaMode = vesk::pc::CameraStatus::MediaNone;
        int viewArea = 0;     // 0 86°, 1 78°, 2 65°
        int framingMode = 0;  // 0 group, 1 single
        int framingSize = 0;  // 0 close-up, 1 upper body
    };
    OwnState own_;
    SwitchIcons switchIcons_;
    QHash<QString, OwnState> ownBySn_;
    QString snToReselect_;
    QStringList rowOrder_;  // serials in row order, those gone too (placeFor)
    int desktopLeft_ = 0;
    int desktopRight_ = 0;
    qint64 lastUserActionMs_ = 0;
    bool devAwake_ = false;
    bool dev4K_ = false;
    bool shownOnce_ = false;
    QTimer stateReportTimer_;
    bool sizeButtonsHidden_ = false;
    vesk::pc::ActionSourceType pendingZoomSource_ = vesk::pc::SourceNone;  // a report due
    vesk::pc::ActionSourceType pendingBlurSource_ = vesk::pc::SourceNone;
    int padReportCounter_ = -1;
    vesk::pc::ActionSourceType actionSource_ = vesk::pc::SourceMouse;
    QString zoomText_ = QStringLiteral("1x");
    int blurLevel_ = 0;
    QTimer zoomTrailTimer_;              // the throttled-out last zoom position
    QJsonObject softwareUpdateInfo_;  // the newest software package the server named
    DirectionHandler* directionPad_ = nullptr;
    QList<ImageItem*> imageItems_;
    QPointer<PictureJourney> pictureJourney_;  // at most one picture is added at a time
    QList<QShortcut*> localShortcuts_;
    int windowArrow_ = 0;     // the in-window arrow key that drives the pad, 0 none
    QTimer arrowStopTimer_;   // its release, waiting for a repeat's press
    QVector<int> heldArrows_;  // arrow keys down, of any set, the last pressed last
    QVector<int> windowHeldArrows_;  // those of them pressed in the window
    QList<QHotkey*> globalHotkeys_;
    QList<QHotkey*> remoteHotkeys_;
    QPointer<MaintenanceFlow> flow_;
    WindowTiming timing_ = WindowTiming::defaults();
    std::unique_ptr<vesk::pc::PkgDownloader> downloader_;
    DownloadProgress* downloadBox_ = nullptr;
    std::unique_ptr<vesk::pc::HttpServerHost> serverHost_;
};
