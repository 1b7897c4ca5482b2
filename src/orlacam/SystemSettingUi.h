#pragma once

#include "uvc/CameraStatus.h"

#include <QJsonObject>
#include <QString>
#include <QWidget>

// The system setting page. So far what the camera link and the main window
// need of it: it is the one writer of a camera's newest firmware version,
// taken from the firmware query server's answer, and decides whether an
// upgrade is offered; it follows the selected camera for the main window.
// Its rows and popup pages come later; their entry points here only keep
// the state they are given and log.
class SystemSettingUi : public QWidget
{
    Q_OBJECT
public:
    // Events of the page to the main window; 13 to 15 and 18 to 26 report
    // activity on the selected camera.
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

    // The camera the page is about.
    void setDevSn(const QString& sn) { devSn_ = sn; }
    QString devSn() const { return devSn_; }
    bool upgradeOffered() const { return upgradeOffered_; }
    QString upgradeInfo() const { return upgradeInfo_; }

    // The main window's selection and the selected camera's state.
    void setCurrentUvcDevSn(const QString& sn, const vesk::pc::CameraStatus& status = {});
    void setDevState(bool awake);
    bool devAwake() const { return devAwake_; }
    void setBtnAdaptationMode(int mode);
    void setDevAutoSleep(int seconds);
    void setNoiseCancellation(int on);
    void setVirtualBg(int state);
    // Whether the user keeps the virtual background offered.
    bool virtualBgOn() const;
    void hideSecondMenu();

signals:
    void upgradeOfferChanged(bool offered, const QString& info);
    void sendSettingEvent(SystemSettingUi::SystemSettingEvent event);
    void openVideoCfg(bool on);
    void softwareUpgrade();
    void firmwareUpgrade();
    // Stands for the language page's choice until that page exists.
    void languageChanged(int type);

public slots:
    void onFirmwareInfoFromServer(const QJsonObject& info);
    // Toggles the global hotkey set, as the page's own switch does.
    void on_pbGlobalHotkeys_clicked();

private:
    QString devSn_;
    bool upgradeOffered_ = false;
    QString upgradeInfo_;
    bool devAwake_ = false;
    bool globalHotkeys_ = false;
};

Q_DECLARE_METATYPE(SystemSettingUi::SystemSettingEvent)
