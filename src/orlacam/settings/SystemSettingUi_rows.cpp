// The rows of the system setting page: what each shows, what it sends to
// the bound camera and which action it reports.

#include "orlacam/settings/SystemSettingUi.h"

#include "cloud/ActionReport.h"
#include "cloud/CloudTaskPool.h"
#include "cloud/QueryFromServer.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "orlacam/settings/ButtonModeHelp.h"
#include "orlacam/settings/CamSettings.h"
#include "orlacam/settings/FirmwareQueryReply.h"
#include "orlacam/settings/SettingPageHost.h"
#include "orlacam/settings/SystemSettingForm.h"
#include "uicomm/ButtonMode.h"
#include "uicomm/HotKeyList.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/ScreenPlacement.h"
#include "uvc/UvcDevices.h"

#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

using vesk::pc::CameraStatus;
using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;
using vesk::pc::Util;

namespace {

// Auto-sleep delays by combo index, and the bands that choose an index.
constexpr int kSleepDelays[] = {30, 120, 600};
constexpr int kSleepIndexCount = 3;

int sleepIndexFor(int seconds)
{
    return seconds <= 30 ? 0 : seconds <= 120 ? 1 : 2;
}

// The oldest firmware of each kind of camera that has the feature.
struct FirmwareFloor
{
    const char* fourK;
    const char* other;
};
const FirmwareFloor kCamSettingsFirmware = {"4.0.3.1", "4.2.3.1"};
// Shown only above these versions.
const FirmwareFloor kVirtualBgAbove = {"4.0.2.0", "4.2.2.0"};

QString floorFor(const FirmwareFloor& floor, bool is4K)
{
    return QLatin1String(is4K ? floor.fourK : floor.other);
}

bool olderThan(const QString& version, const QString& minimum)
{
    return Util::verStrToUint(version) < Util::verStrToUint(minimum);
}

// The remote controller's shop: the Chinese store for simplified Chinese,
// the international one otherwise.
const char* const kRemoteShopCn = "https://shop-cn.kestro.invalid/item.htm?spm=orla.remote.0.0&id=710001";
const char* const kRemoteShop = "https://shop.kestro.invalid/products/kestro-orla-remote-controller";

} // namespace

// The page's dialogs go beside or over the main window, or the page itself without one.
const QWidget* SystemSettingUi::anchorWindow() const
{
    return parentWidget() ? parentWidget()->window() : this;
}

bool SystemSettingUi::awake() const
{
    return host_ ? host_->isDevAwake() : devRunning;
}

QSharedPointer<UvcDevice> SystemSettingUi::lookUp() const
{
    return serialNumber.isEmpty() ? QSharedPointer<UvcDevice>() : UvcDevices::get().getDevBySn(serialNumber);
}

// The camera of sn, its next status read put off and the user action marked.
QSharedPointer<UvcDevice> SystemSettingUi::markedCommand(const QString& sn) const
{
    const QSharedPointer<UvcDevice> device = sn.isEmpty() ? nullptr : UvcDevices::get().getDevBySn(sn);
    if (!device)
        return device;
    device->setStatusPollCounter(0);
    if (host_)
        host_->setLastUserActionMs(QDateTime::currentMSecsSinceEpoch());
    return device;
}

void SystemSettingUi::runTips(const QString& title, const QString& text, bool links, std::function<void()> then)
{
    auto* box = new MsgInfoUi(parentWidget());
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (title.isEmpty())
        box->hideTitle();
    else
        box->setTitle(title);
    if (links)
        box->setLinkText(text);
    else
        box->setText(text);
    box->setButtonText(QMessageBox::Yes, tr("Yes"));
    if (then)
        connect(box, &MsgInfoUi::answered, this, [then](int) { then(); });
    box->ask();
}

// --- Setting page binding ---

void SystemSettingUi::setCurrentUvcDevSn(const QString& sn, const CameraStatus* status)
{
    serialNumber = sn;
    if (camSettings)
        camSettings->setCurrentUvcDevSn(sn);
    const QSharedPointer<UvcDevice> device = lookUp();
    if (!device) {
        setDisplayState(false);
        ui->lbFirmwareVersionValue->setText(QStringLiteral("0.0.0.0"));
        setMaxHeight();
        return;
    }
    QString info;
    const int needed = device->isUpgradeNeeded(info);
    // A host asks for its cameras itself, page or no page.
    if (needed == 2 && !host_)
        startFirmwareQuery(device);
    else if (needed != 2)
        ui->pbFirmwareUpgrade->setVisible(needed == 1);
    const QString version = device->devVersion();
    ui->lbFirmwareVersionValue->setText(version);
    if (camSettingsOpen) {
        if (olderThan(version, floorFor(kCamSettingsFirmware, device->is4K())))
            camSettings->hide();
        else
            camSettings->show();
    }
    CameraStatus read;
    if (!status) {
        if (!device->getCameraStatus(read))
            read = device->cachedStatus();
        status = &read;
    }
    const int type = device->getProductType();
    const auto has = [type](CameraStatus::Field field) { return CameraStatus::hasField(field, type); };
    setDevAutoSleep(status->field(CameraStatus::Field::AutoSleep, type));
    if (has(CameraStatus::Field::ButtonMode))
        setBtnAdaptationMode(status->field(CameraStatus::Field::ButtonMode, type));
    setNoiseCancellation(status->field(CameraStatus::Field::NoiseCancellation, type));
    if (has(CameraStatus::Field::VirtualBgSwitch)) {
        setVirtualBg(status->field(CameraStatus::Field::VirtualBgSwitch, type));
    } else {
        virtualBgSwitch = false;
        setSwitchIcon(ui->pbVirtualBg, false);
        ui->wVirtualBg->hide();
        ui->wButtonAdapt->hide();
    }
    const CameraStatus::RunState run = status->runState(type);
    const bool running = CameraStatus::familyOf(type) == CameraStatus::Family::Orla
                             ? run == CameraStatus::RunRunning
                             : run != CameraStatus::RunSleeping && run != CameraStatus::RunPrivacy;
    setDevState(running);
    // A camera without a switch's setting shows that switch off and deaf.
    const struct
    {
        CameraStatus::Field field;
        QPushButton* button;
    } switches[] = {{CameraStatus::Field::AutoSleep, ui->pbDevAutoSleep},
                    {CameraStatus::Field::NoiseCancellation, ui->pbNoiseCancellation}};
    for (const auto& entry : switches) {
        if (!has(entry.field)) {
            setSwitchIcon(entry.button, false);
            entry.button->setEnabled(false);
        }
    }
    setMaxHeight();
}

// --- Software and firmware version rows ---

void SystemSettingUi::enableSoftwareUpgrade(bool enable)
{
    ui->pbSoftwareUpgrade->setVisible(enable);
}

void SystemSettingUi::on_pbSoftwareUpgrade_clicked()
{
    emit softwareUpgrade();
}

void SystemSettingUi::on_pbFirmwareUpgrade_clicked()
{
    emit firmwareUpgrade();
}

void SystemSettingUi::queryFirmware(const QSharedPointer<UvcDevice>& device, QObject* context,
                                    std::function<void(const QString&, const QJsonObject&)> then)
{
    auto* receiver = new FirmwareQueryReply(device->sn(), std::move(then), context);
    vesk::pc::CloudTaskPool::global().start(new vesk::pc::QueryFromServer(
        device->devInfo(), vesk::pc::QueryFromServer::QueryDevFirmware, receiver,
        QSharedPointer<QString>::create(QStringLiteral("onFirmwareInfoFromServer"))));
}

void SystemSettingUi::startFirmwareQuery(const QSharedPointer<UvcDevice>& device)
{
    const QPointer<SystemSettingUi> page(this);
    queryFirmware(device, this, [page](const QString& sn, const QJsonObject& reply) {
        if (page)
            page->showFirmwareReply(sn, takeFirmwareReply(sn, reply, page->ugInfo));
    });
}

void SystemSettingUi::onFirmwareInfoFromServer(const QJsonObject& reply)
{
    showFirmwareReply(serialNumber, takeFirmwareReply(serialNumber, reply, ugInfo));
}

int SystemSettingUi::takeFirmwareReply(const QString& sn, const QJsonObject& reply, QJsonObject offers[2])
{
    if (reply.isEmpty()) {
        qDebug() << "No firmware package from the query server for" << sn << reply;
        return 0;
    }
    const QJsonValue version = reply.value(QLatin1String("version"));
    if (!version.isString())
        return -1;
    const QSharedPointer<UvcDevice> device = sn.isEmpty() ? nullptr : UvcDevices::get().getDevBySn(sn);
    if (!device)
        return -1;
    device->setLatestVersion(version.toString());
    QString info;
    const bool newer = device->isUpgradeNeeded(info) == 1;
    offers[device->is4K() ? 1 : 0] = reply;
    return newer ? 1 : 0;
}

// A reply belongs to the camera it was asked for: the "Update" button
// follows it only while that camera is still the page's.
void SystemSettingUi::showFirmwareReply(const QString& sn, int shown)
{
    if (sn == serialNumber && shown >= 0)
        ui->pbFirmwareUpgrade->setVisible(shown == 1);
}

QJsonObject SystemSettingUi::getUgInfo() const
{
    if (host_)
        return host_->getUgInfo();
    const QSharedPointer<UvcDevice> device = lookUp();
    return ugInfo[device && device->is4K() ? 1 : 0];
}

void SystemSettingUi::on_pbFirmwareVersionHelp_clicked()
{
    runTips(tr("Tips"),
            tr("Please make sure that you close all applications that may use KESTRO Orla or Orla 4K during the "
               "upgrade, such as OBS Studio, Zoom, Skype, and Google Meet, etc."),
            false);
}

// --- Device auto sleep row ---

void SystemSettingUi::setDevAutoSleep(int seconds)
{
    autoSleepOn = seconds > 0;
    setSwitchIcon(ui->pbDevAutoSleep, autoSleepOn);
    if (autoSleepOn) {
        const QSignalBlocker blocker(ui->cbDevAutoSleep);
        ui->cbDevAutoSleep->setCurrentIndex(sleepIndexFor(seconds));
    }
    adjustDevAutoSleepWidgetHeight();
    setMaxHeight();
}

void SystemSettingUi::on_pbDevAutoSleep_clicked()
{
    if (!awake())
        return;
    const QSharedPointer<UvcDevice> device = lookUp();
    if (!device)
        return;
    autoSleepOn = !autoSleepOn;
    setSwitchIcon(ui->pbDevAutoSleep, autoSleepOn);
    adjustDevAutoSleepWidgetHeight();
    setMaxHeight();
    if (autoSleepOn) {
        // The camera keeps its last delay while off, as a negative number.
        const QSignalBlocker blocker(ui->cbDevAutoSleep);
        CameraStatus status;
        if (!device->getCameraStatus(status))
            status = device->cachedStatus();
        const int kept = qAbs(status.field(CameraStatus::Field::AutoSleep, device->getProductType()));
        const int index = sleepIndexFor(kept);
        ui->cbDevAutoSleep->setCurrentIndex(index);
        on_cbDevAutoSleep_currentIndexChanged(index);
        return;
    }
    const int index = ui->cbDevAutoSleep->currentIndex();
    const int delay = index >= 0 && index < kSleepIndexCount ? kSleepDelays[index] : kSleepDelays[2];
    markedCommand(serialNumber);
    device->cameraSetSuspendTime(-delay);
    vesk::pc::devActionToServer(serialNumber, vesk::pc::ActionSetAutoSleep, vesk::pc::SourceMouse, QString(), 0);
}

void SystemSettingUi::on_cbDevAutoSleep_currentIndexChanged(int index)
{
    if (index < 0 || !awake() || !autoSleepOn)
        return;
    const QSharedPointer<UvcDevice> device = markedCommand(serialNumber);
    if (!device)
        return;
    const int seconds = index < kSleepIndexCount ? kSleepDelays[index] : 0;
    device->cameraSetSuspendTime(seconds);
    vesk::pc::devActionToServer(serialNumber, vesk::pc::ActionSetAutoSleep, vesk::pc::SourceMouse, QString(),
                                seconds);
}

// --- Camera setting row ---

void SystemSettingUi::on_pbCameraSettings_clicked()
{
    const QSharedPointer<UvcDevice> device = lookUp();
    if (!device)
        return;
    const QString minimum = floorFor(kCamSettingsFirmware, device->is4K());
    const QString version = device->devVersion();
    if (olderThan(version, minimum)) {
        if (host_)
            host_->onPromptDevUpgrade(version, minimum, minimum);
        else
            qDebug() << "Camera setting needs firmware" << minimum << "; the camera has" << version;
        return;
    }
    vesk::pc::devActionToServer(serialNumber, vesk::pc::ActionConfigureVideoOpened, vesk::pc::SourceMouse);
    camSettingsOpen = true;
    camSettings->open(anchorWindow());
}

// --- Button configuration row ---

void SystemSettingUi::showButtonModeText(int mode)
{
    ui->lbCurrButtonAdapt->setText(mode == 1 ? tr("Rotation") : tr("Default"));
    placeFollowers();  // the row's title makes room for the new word
}

void SystemSettingUi::setBtnAdaptationMode(int mode)
{
    buttonModeUi->setButtonModeType(mode);
    if (mode == 0 || mode == 1)
        showButtonModeText(mode);
}

void SystemSettingUi::on_buttonModeChanged(int mode)
{
    if (const QSharedPointer<UvcDevice> device = markedCommand(serialNumber)) {
        device->cameraSetButtonMode(mode);
        vesk::pc::devActionToServer(serialNumber, vesk::pc::ActionSetButtonWorkMode, vesk::pc::SourceMouse,
                                    QString(), mode);
    }
    showButtonModeText(mode);
}

void SystemSettingUi::on_pbButtonAdaptHelp_clicked()
{
    auto* help = new ButtonModeHelp(parentWidget());
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->open();
}

// --- Noise reduction and virtual background rows ---

void SystemSettingUi::setNoiseCancellation(int value)
{
    noiseCancellationOn = value != 0;
    setSwitchIcon(ui->pbNoiseCancellation, noiseCancellationOn);
}

void SystemSettingUi::on_pbNoiseCancellation_clicked()
{
    if (!awake())
        return;
    noiseCancellationOn = !noiseCancellationOn;
    setSwitchIcon(ui->pbNoiseCancellation, noiseCancellationOn);
    if (const QSharedPointer<UvcDevice> device = markedCommand(serialNumber)) {
        device->cameraSetNoiseCancellation(noiseCancellationOn);
        vesk::pc::devActionToServer(serialNumber, vesk::pc::ActionSetNoiseCancellationEnabled,
                                    vesk::pc::SourceMouse, QString(), noiseCancellationOn);
    }
}

void SystemSettingUi::setVirtualBg(int value)
{
    const QSharedPointer<UvcDevice> device = lookUp();
    if (!device)
        return;
    const QString above = floorFor(kVirtualBgAbove, device->is4K());
    ui->wVirtualBg->setVisible(Util::verStrToUint(device->devVersion()) > Util::verStrToUint(above));
    virtualBgSwitch = value == 0;
    setSwitchIcon(ui->pbVirtualBg, virtualBgSwitch);
    ui->wButtonAdapt->setVisible(virtualBgSwitch);
    setMaxHeight();
    // The main window's own panel follows the camera's switch by itself.
}

void SystemSettingUi::on_pbVirtualBg_clicked()
{
    if (!awake())
        return;
    // The click's camera, whatever the notice's wait brings.
    const QString sn = serialNumber;
    if (virtualBgSwitch) {
        switchVirtualBg(sn, false);
        return;
    }
    // Yes turns it on, whatever a status update showed while the notice waited.
    runTips(QString(),
            tr("The Virtual Background features are now in beta version and will give further updates to "
               "polish the effect."),
            false, [this, sn] { switchVirtualBg(sn, true); });
}

void SystemSettingUi::switchVirtualBg(const QString& sn, bool on)
{
    virtualBgSwitch = on;
    setSwitchIcon(ui->pbVirtualBg, virtualBgSwitch);
    ui->wButtonAdapt->setVisible(virtualBgSwitch);
    GlobalParams::get().pc_virtual_bg = virtualBgSwitch;
    if (const QSharedPointer<UvcDevice> device = markedCommand(sn))
        device->cameraSetBgEnable(virtualBgSwitch);
    if (host_)
        host_->enableVirtualBg(virtualBgSwitch);
    setMaxHeight();
}

// --- Global hotkeys and remote controller rows ---

void SystemSettingUi::on_pbGlobalHotkeys_clicked()
{
    globalHotkeysOn = !globalHotkeysOn;
    setSwitchIcon(ui->pbGlobalHotkeys, globalHotkeysOn);
    emit sendSettingEvent(globalHotkeysOn ? GlobalHotkeysOn : GlobalHotkeysOff);
}

void SystemSettingUi::on_pbHotkeysHelp_clicked()
{
    if (hotKeyList->isVisible()) {
        hotKeyList->hide();
        return;
    }
    hotKeyList->show();
    placeWindow(hotKeyList, anchorWindow());
}

void SystemSettingUi::on_pbRemoteCtrl_clicked()
{
    remoteCtrlOn = !remoteCtrlOn;
    setSwitchIcon(ui->pbRemoteCtrl, remoteCtrlOn);
    emit sendSettingEvent(remoteCtrlOn ? RemoteCtrlOn : RemoteCtrlOff);
}

void SystemSettingUi::on_pbRemoteCtrlHelp_clicked()
{
    const QString shop = QLatin1String(GlobalParams::get().language_type == 1 ? kRemoteShopCn : kRemoteShop);
    const QString link = QStringLiteral("<a style=\"color: #1E90FF;\" href=\"%1\">%1</a><br><br>").arg(shop);
    runTips(tr("Tips"),
            tr("Only compatible with 「KESTRO Orla Remote Controller」! To purchase it, please go to ") + link
                + tr("The remote control keys may conflict with some software shortcuts keys. In case of "
                     "conflict, please turn off or change other software shortcuts keys.\n")
                + QStringLiteral("<br><br>")
                + tr("For example, the「Screen Rotation」shortcut key for「Intel ® Graphics Control Centre」"),
            true);
}
