#pragma once

#include "orlacam/settings/SwitchIcons.h"
#include "uvc/CameraStatus.h"

#include <QJsonObject>
#include <QSharedPointer>
#include <QString>
#include <QWidget>

#include <functional>

class ButtonMode;
class CamSettings;
class ForMoreUi;
class HotKeyList;
class Language;
class SettingPageHost;
class SystemSettingForm;
namespace vesk {
namespace pc {
class UvcDevice;
}
}

// The system setting page: a window of its own beside the main window, with
// eleven rows from the versions down to "More". It is bound to one camera by
// serial number (or to none) and drives that camera through the registry;
// page-level events go to the main window with sendSettingEvent, and what
// the page needs of the window it asks its host.
class SystemSettingUi : public QWidget
{
    Q_OBJECT
public:
    // Events of the page to the main window; 13 to 15 and 18 to 26 report
    // activity on the selected camera and are never sent by the page.
    enum SystemSettingEvent : int {
        SettingPageClosed = 0,
        GlobalHotkeysOn = 7,
        GlobalHotkeysOff = 8,
        RemoteCtrlOn = 9,
        RemoteCtrlOff = 10,
    };
    Q_ENUM(SystemSettingEvent)
    static bool isDeviceActivity(int event);

    explicit SystemSettingUi(QWidget* parent = nullptr);
    ~SystemSettingUi() override;

    // The window the page serves (null: none, the page keeps its own state).
    void setHost(SettingPageHost* host) { host_ = host; }

    // Binds the page to a camera (empty: none) and loads every row from
    // status, or from a status read now when status is null.
    void setCurrentUvcDevSn(const QString& sn, const vesk::pc::CameraStatus* status = nullptr);
    // Normal (the camera runs) or greyed look of the camera rows.
    void setDevState(bool running);
    // Show a camera state without sending anything.
    void setDevAutoSleep(int seconds);
    void setBtnAdaptationMode(int mode);
    void setNoiseCancellation(int value);
    void setVirtualBg(int value);
    void enableSoftwareUpgrade(bool enable);
    // The last firmware package the query server named for the selected kind of camera.
    QJsonObject getUgInfo() const;
    // Asks the query server for the newest firmware of the camera; the reply
    // reaches then (with the camera's serial) unless context has gone first.
    static void queryFirmware(const QSharedPointer<vesk::pc::UvcDevice>& device, QObject* context,
                              std::function<void(const QString& sn, const QJsonObject& reply)> then);
    // What a firmware reply does to sn's camera: it learns its newest version
    // and offers (plain, 4K) keeps the reply for its kind. 1 or 0: the
    // "Update" button shows or hides; -1: it stays as it was.
    static int takeFirmwareReply(const QString& sn, const QJsonObject& reply, QJsonObject offers[2]);
    // The "Update" button after a reply for sn's camera, when the page is bound to it.
    void showFirmwareReply(const QString& sn, int shown);

    QString devSn() const { return serialNumber; }
    bool devAwake() const { return devRunning; }
    bool virtualBgOn() const { return virtualBgSwitch; }
    ForMoreUi* morePage() const { return moreUi; }
    Language* languagePage() const { return languageUi; }
    ButtonMode* buttonModePage() const { return buttonModeUi; }
    HotKeyList* hotkeyListWindow() const { return hotKeyList; }

signals:
    void sendSettingEvent(SystemSettingUi::SystemSettingEvent event);
    void softwareUpgrade();
    void firmwareUpgrade();
    void openVideoCfg(bool on);

public slots:
    void show();
    void hide();
    void hideSecondMenu();

    void onFirmwareInfoFromServer(const QJsonObject& reply);
    void on_buttonModeChanged(int mode);
    void on_pbSoftwareUpgrade_clicked();
    void on_pbFirmwareUpgrade_clicked();
    void on_pbFirmwareVersionHelp_clicked();
    void on_pbDevAutoSleep_clicked();
    void on_cbDevAutoSleep_currentIndexChanged(int index);
    void on_pbCameraSettings_clicked();
    void on_pbButtonAdapt_clicked();
    void on_pbButtonAdaptHelp_clicked();
    void on_pbNoiseCancellation_clicked();
    void on_pbVirtualBg_clicked();
    void on_pbGlobalHotkeys_clicked();
    void on_pbHotkeysHelp_clicked();
    void on_pbRemoteCtrl_clicked();
    void on_pbRemoteCtrlHelp_clicked();
    void on_pbLanguage_clicked();
    void on_pbForMore_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Looks.
    void setDisplayState(bool hasCamera);
    void applyLook(bool normal);
    void setSwitchIcon(QWidget* button, bool on);
    void placeFollowers();
    void placeUpgradeButtons();
    void setMaxHeight();
    void adjustDevAutoSleepWidgetHeight();

    // Popup pages.
    void showWidget(QWidget* popup, QWidget* row, bool immediate);
    void togglePopup(QWidget* popup, QWidget* row);
    QWidget* popupOf(QObject* row) const;
    void hideOtherPopups(QWidget* keep);

    // Rows.
    const QWidget* anchorWindow() const;
    bool awake() const;
    QSharedPointer<vesk::pc::UvcDevice> lookUp() const;
    QSharedPointer<vesk::pc::UvcDevice> markedCommand(const QString& sn) const;
    void startFirmwareQuery(const QSharedPointer<vesk::pc::UvcDevice>& device);
    void showButtonModeText(int mode);
    // A modal notice with Yes; then (if given) follows its answer, unless
    // this page has gone by then.
    void runTips(const QString& title, const QString& text, bool links, std::function<void()> then = {});
    void switchVirtualBg(const QString& sn, bool on);
    void showStoredVirtualBg();

    SystemSettingForm* ui = nullptr;
    ForMoreUi* moreUi = nullptr;
    Language* languageUi = nullptr;
    HotKeyList* hotKeyList = nullptr;
    ButtonMode* buttonModeUi = nullptr;
    CamSettings* camSettings = nullptr;
    QString serialNumber;
    bool remoteCtrlOn = false;
    bool globalHotkeysOn = false;
    bool autoSleepOn = false;
    bool noiseCancellationOn = false;
    bool virtualBgSwitch = false;
    bool camSettingsOpen = false;
    bool devRunning = false;  // the last setDevState, for a page with no host
    QJsonObject ugInfo[2];  // plain, 4K: a page with no host keeps its own
    SettingPageHost* host_ = nullptr;
    SwitchIcons switchIcons_;
};

Q_DECLARE_METATYPE(SystemSettingUi::SystemSettingEvent)
