// The device row: arrivals and removals, selection, renaming and the
// selected camera's status reports.

#include "orlacam/window/MainUserUi.h"

#include "comm/AppPaths.h"
#include "orlacam/window/CloudReports.h"
#include "orlacam/window/DevButton.h"
#include "orlacam/window/DevSleep.h"
#include "orlacam/window/DirectionHandler.h"
#include "orlacam/flows/MaintenanceFlow.h"
#include "orlacam/pictures/ImageItem.h"
#include "orlacam/window/MainUiStyle.h"
#include "ui_MainUserUi.h"
#include "uicomm/MsgInfoUi.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QDebug>

#include <atomic>
#include <memory>

using vesk::pc::AppPaths;
using vesk::pc::CameraStatus;
using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;

namespace {

constexpr int kMaxVisibleButtons = 4;
constexpr int kMaxDevNames = 10;
constexpr int kPeriodicReportSoonMs = 89999;  // a report due within 90 s covers a new camera
constexpr int kStatusHoldOffMs = 100;  // a status this soon after a command may predate it
constexpr int kSelectPollCounter = 80;

// The build does not stage resources/udev, so the rule is named as the
// README does, from the source folder.
const char* const kUdevRuleCommands =
    "sudo install -m 644 resources/udev/70-orlacam.rules /etc/udev/rules.d/\n"
    "sudo udevadm control --reload-rules && sudo udevadm trigger";

// Told once a run, however many cameras or windows meet a refusal.
bool g_accessDeniedTold = false;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Whether a status says the camera runs. An Orla says so with run state 1; a
// Zuki's column has no running value, only the sleeping ones.
bool statusAwake(const CameraStatus& status, int productType)
{
    const CameraStatus::RunState state = status.runState(productType);
    if (CameraStatus::familyOf(productType) == CameraStatus::Family::Orla)
        return state == CameraStatus::RunRunning;
    return state != CameraStatus::RunSleeping && state != CameraStatus::RunPrivacy;
}

bool statusAsleep(const CameraStatus& status, int productType)
{
    const CameraStatus::RunState state = status.runState(productType);
    return state == CameraStatus::RunSleeping || state == CameraStatus::RunPrivacy;
}

bool isWholeNumber(const QString& text)
{
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

} // namespace

QSharedPointer<UvcDevice> MainUserUi::currentDevice() const
{
    return currSn_.isEmpty() ? QSharedPointer<UvcDevice>() : registry_->getDevBySn(currSn_);
}

DevButton* MainUserUi::newDevButton(int index)
{
    auto* button = new DevButton(index, ui->wDevCtrl);
    connect(button, &DevButton::devBtnSelected, this, &MainUserUi::onDevSelectedChanged);
    connect(button, &DevButton::devBtnNameChanged, this, &MainUserUi::onDevRenamed);
    return button;
}

// The button of a listed camera, also while a flow's camera is away; null if none.
DevButton* MainUserUi::buttonOf(const QString& sn) const
{
    for (DevButton* button : devButtons_) {
        if (button->hasDevice() && button->sn().compare(sn, Qt::CaseInsensitive) == 0)
            return button;
    }
    return nullptr;
}

// The first of "1" to "10" that no button bears; "10" when all are taken.
QString MainUserUi::freeDevName() const
{
    QStringList names;
    for (const DevButton* button : devButtons_)
        names << button->text();
    for (int n = 1; n <= kMaxDevNames; ++n) {
        if (!names.contains(QString::number(n)))
            return QString::number(n);
    }
    return QString::number(kMaxDevNames);
}

void MainUserUi::onDevChanged(const QByteArray& snBytes, bool present)
{
    const QString sn = QString::fromLatin1(snBytes);
    if (!present) {
        removeOneDev(sn);
        return;
    }
    GlobalParams& params = GlobalParams::get();
    GlobalParams::DevInfo record = params.getDevInfo(sn);
    // Announced twice (a re-scan, a late duplicate): one button per camera.
    const DevButton* listed = buttonOf(sn);
    if (listed && !listed->isAway()) {
        qDebug() << "Camera already listed:" << sn;
        return;
    }
    // Numbered names follow the row; a name the user chose stays. A flow's
    // camera back from a restart still holds its number in its own button.
    const QString name = listed ? listed->name() : freeDevName();
    if (record.dev_sn.compare(sn, Qt::CaseInsensitive) != 0) {
        params.addOneDevInfo(name, sn);
        record = params.getDevInfo(sn);
    } else if (record.dev_name.isEmpty() || isWholeNumber(record.dev_name)) {
        record.dev_name = name;
        params.setDevName(record.dev_name, sn);
    }
    if (record.dev_sn.isEmpty())
        record.dev_sn = sn;  // the store refused the record; the camera still gets its button
    if (record.dev_name.isEmpty())
        record.dev_name = name;
    addOneDev(record);
}

// A notice, not a question: the registry has moved on, and the window does
// not wait for the box.
void MainUserUi::onDevAccessDenied(const QString& node)
{
    if (g_accessDeniedTold) {
        qDebug() << "Access denied on" << node << "- the user has been told";
        return;
    }
    g_accessDeniedTold = true;
    auto* box = new MsgInfoUi(this);
    box->setTitle(tr("Camera access"));
    box->setText(tr("OrlaCam may not open the camera at %1 (permission denied). Install the OrlaCam udev "
                    "rule: in the OrlaCam source folder run\n\n%2\n\nthen unplug and replug the camera.")
                     .arg(node, QLatin1String(kUdevRuleCommands)));
    box->setButtonText(QMessageBox::Yes, tr("OK"));
    box->open();
}

void MainUserUi::scheduleArrivalReports(const QString& sn)
{
    if (stateReportTimer_.remainingTime() <= kPeriodicReportSoonMs)
        return;
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("arrivalReport"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, timer, sn] {
        timer->deleteLater();
        const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
        if (!device)
            return;
        const bool uvcMode = device->devMode() == UvcDevice::DevModeUvc;
        if (uvcMode)
            vesk::pc::pushDevUsageState(sn);
        const QJsonObject info = device->getDevInfoForServer();
        if (uvcMode && device->systemType() == 1)
            vesk::pc::pushDevRegistration(info);
    });
    timer->start(timing_.arrivalReportDelayMs);
}

void MainUserUi::addOneDev(const GlobalParams::DevInfo& record)
{
    scheduleArrivalReports(record.dev_sn);
    if (DevButton* away = buttonOf(record.dev_sn); away && away->isAway()) {
        // The flow's camera is back in its own place, selected as before.
        away->setDevInfo(record);
        away->setText(record.dev_name);
        away->setAway(false);
        if (away->isSelected())
            onDevSelectedChanged(away);
        reselected(record.dev_sn);
        return;
    }
    DevButton* first = devButtons_.value(0);
    const int remembered = placeFor(record.dev_sn);
    keepInRowOrder(record.dev_sn, remembered < 0);
    if (first && first->hasDevice()) {
        const int place = remembered < 0 ? devButtons_.size() : remembered;
        DevButton* button = newDevButton(place);
        button->setHasDevice(true);
        button->setDevInfo(record);
        button->setBtnStyle(DevButton::Normal);
        button->setText(record.dev_name);
        button->setVisible(devButtons_.size() < kMaxVisibleButtons);
        devButtons_.insert(place, button);
        devSleep_->addDevButton(place, record.dev_name);
        renumberButtons();
        if (!snToReselect_.isEmpty() && record.dev_sn == snToReselect_) {
            onDevSelectedChanged(button);
            reselected(record.dev_sn);
        }
        return;
    }
    if (!first) {
        first = newDevButton(0);
        devButtons_.append(first);
        first->show();
    }
    first->setDevInfo(record);
    first->setSelected(true);
    first->setHasDevice(true);
    first->setText(record.dev_name);
    devSleep_->addDevButton(0, record.dev_name);
    onDevSelectedChanged(first);
    reselected(record.dev_sn);
}

// A camera listed before in this window takes back its place among those
// still listed, as the row keeps the order it listed them in; -1 for one
// that goes at the end: a new camera, or any while the row is full (four
// or more: the button is then hidden, and the overlay holds no more).
int MainUserUi::placeFor(const QString& sn) const
{
    const int order = rowOrder_.indexOf(sn);
    if (order < 0 || devButtons_.size() >= kMaxVisibleButtons)
        return -1;
    int place = 0;
    for (const DevButton* button : devButtons_)
        place += button->hasDevice() && rowOrder_.indexOf(button->sn()) < order ? 1 : 0;
    return place;
}

// The row's order, with the cameras gone: one put at the end goes to the
// end of it. Bounded: past ten, the oldest of those gone are forgotten.
void MainUserUi::keepInRowOrder(const QString& sn, bool last)
{
    if (last) {
        rowOrder_.removeAll(sn);
        rowOrder_.append(sn);
    }
    for (int i = 0; rowOrder_.size() > kMaxDevNames && i < rowOrder_.size();) {
        if (rowOrder_.at(i) == sn || buttonOf(rowOrder_.at(i)))
            ++i;
        else
            rowOrder_.removeAt(i);
    }
}

// Indices follow the row, and the overlay's mirror of it the selected button.
void MainUserUi::renumberButtons()
{
    for (int i = 0; i < devButtons_.size(); ++i)
        devButtons_[i]->modifyIndex(i);
    devSleep_->selectDev(currentButtonIndex());
}

// The camera a flow expected back is back in USB mode: selected again once,
// it is not selected again when it comes another time.
void MainUserUi::reselected(const QString& sn)
{
    if (snToReselect_.isEmpty() || sn != snToReselect_)
        return;
    const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (device && device->devMode() == UvcDevice::DevModeUvc)
        snToReselect_.clear();
}

// By the registry's serial: the store may have dropped the camera's record
// since it arrived.
void MainUserUi::removeOneDev(const QString& sn)
{
    // A flow's camera that restarts (an upgrade, a log export) keeps its
    // place and the selection while it is away, and the rest of the window
    // shows no camera; it is selected again when it comes back (also after
    // its flow: runFlow).
    if (flowRunning() && flow_->sn().compare(sn, Qt::CaseInsensitive) == 0) {
        snToReselect_ = flow_->sn();
        if (DevButton* button = buttonOf(sn)) {
            button->setAway(true);
            if (button->isSelected())
                onDevSelectedChanged(button);
            return;
        }
    }
    removeButtons(sn);
}

// A flow that ends while its camera is away: the button goes as the
// camera's removal would have taken it then.
void MainUserUi::dropAwayButton(const QString& sn)
{
    const DevButton* button = buttonOf(sn);
    if (button && button->isAway())
        removeButtons(sn);
}

void MainUserUi::removeButtons(const QString& sn)
{
    for (int i = devButtons_.size() - 1; i >= 0; --i) {
        DevButton* button = devButtons_[i];
        if (!button->hasDevice() || button->sn().compare(sn, Qt::CaseInsensitive) != 0)
            continue;
        disconnect(button, &DevButton::devBtnSelected, this, &MainUserUi::onDevSelectedChanged);
        devSleep_->deleteDevButton(button->index());
        devButtons_.removeAt(i);
        delete button;
    }
    if (devButtons_.isEmpty()) {
        DevButton* placeholder = newDevButton(0);
        placeholder->setText(tr("None"));
        placeholder->show();
        devButtons_.append(placeholder);
        onDevSelectedChanged(placeholder);
        return;
    }
    renumberButtons();
    if (currentButtonIndex() < 0) {
        devButtons_.first()->setBtnStyle(DevButton::Selected);
        devButtons_.first()->setSelected(true);
        onDevSelectedChanged(devButtons_.first());
    }
}

// Only the selected camera talks to the window.
void MainUserUi::detachSelected()
{
    if (const QSharedPointer<UvcDevice> device = currentDevice())
        disconnect(device.data(), nullptr, this, nullptr);
}

void MainUserUi::onDevSelectedChanged(DevButton* button)
{
    // A flow keeps its camera selected until it ends, also while the camera
    // is away. A refused click leaves no button looking selected but the
    // selected one.
    const DevButton* flowButton = flowRunning() ? buttonOf(flow_->sn()) : nullptr;
    const bool held = currentDevice() || (flowButton && flowButton->isAway());
    if (flowRunning() && held && button != flowButton) {
        qInfo() << "Selection kept while a flow runs";
        for (DevButton* other : qAsConst(devButtons_))
            other->setBtnStyle(other->isSelected() ? DevButton::Selected : DevButton::Normal);
        devSleep_->selectDev(currentButtonIndex());
        return;
    }
    // A zoom move the throttle still holds back belongs to the camera it was
    // made on, not to the one selected next.
    if (zoomTrailTimer_.isActive())
        onZoomTrail();
    zoomTrailTimer_.stop();
    if (!currSn_.isEmpty()) {
        own_.mediaMode = autoFramingOn_ ? CameraStatus::MediaAutoFraming
                         : virtualBgOn_ ? CameraStatus::MediaVirtualBackground
                                        : CameraStatus::MediaNone;
        ownBySn_.insert(currSn_, own_);
    }
    // A pad still moving the camera stops it before the camera changes.
    directionPad_->release();
    detachSelected();
    clearPictureSlots();
    if (!button->hasDevice() || button->isAway()) {
        currSn_.clear();
        bindSettingPage(QString());
        setUiState(false);
        devAwake_ = false;
        showSleepOverlay(false);
        return;
    }
    setUiState(true);
    currSn_ = button->sn();
    for (DevButton* other : devButtons_) {
        other->setBtnStyle(other == button ? DevButton::Selected : DevButton::Normal);
        other->setSelected(other == button);
    }
    devSleep_->selectDev(button->index());
    qDebug() << "Selected camera" << button->name();
    for (const QSharedPointer<UvcDevice>& device : registry_->devList())
        device->setStatusReportEnabled(false);
    loadSelectedState(currSn_);
}

void MainUserUi::loadSelectedState(const QString& sn)
{
    const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (!device) {
        qDebug() << "Selected camera is gone:" << sn;
        return;
    }
    device->setStatusPollCounter(kSelectPollCounter);
    lastUserActionMs_ = nowMs();
    own_ = ownBySn_.value(sn);
    CameraStatus status;
    if (!device->getCameraStatus(status))
        status = device->cachedStatus();
    const QJsonObject info = device->devInfo();
    if (!info.isEmpty())
        GlobalParams::get().setProductInfo(info);
    const int type = device->getProductType();
    dev4K_ = device->is4K();
    sizeButtonsHidden_ = status.portrait(type);
    bindSettingPage(sn, status);
    if (device->waitsForUpgrade()) {
        // Left in its upgrade system by a failed upgrade: it takes nothing but
        // an upgrade, so the panel is greyed and no overlay offers a wake.
        qInfo() << "Camera" << sn << "waits for its upgrade";
        setUiState(false);
        devAwake_ = false;
        setDevStateOnPages(false);
        showSleepOverlay(false);
        return;
    }
    device->setStatusReportEnabled(true);

    showZoom(qMin(status.zoomPosition(type), 100));
    // The serial comes from the camera: reduced to a safe name, it cannot
    // lead out of pic/.
    const QString stem = AppPaths::dataPath(QStringLiteral("pic/")) + UvcDevice::safeSerial(sn);
    for (int i = 0; i < 3; ++i) {
        device->setThumbnailPath(i, stem + QStringLiteral("_Icon_%1.jpg").arg(i));
        device->setFullPicturePath(i, stem + QStringLiteral("_Preview_%1.jpg").arg(i));
    }
    // A status still queued when the selection moves on belongs to this
    // camera, not to the one then selected: the serial decides. One whose
    // read was asked for before a command (a sleep, a view) may show the
    // camera as it was: it waits in the queue on a loaded machine for longer
    // than the hold-off, so its generation decides. Statuses come faster than
    // a loaded machine may apply them: one with a later one queued behind it
    // is passed over, so that no backlog delays the window's other events.
    // (Counted as posted after the queued connection, so that one emitted
    // between the two connects can only be applied, never passed over.)
    auto waiting = std::make_shared<std::atomic<int>>(0);
    connect(
        device.data(), &UvcDevice::devStateUpdate, this,
        [this, sn, waiting](const CameraStatus& status, quint64 generation) {
            if (waiting->fetch_sub(1) > 1 || sn != currSn_)
                return;
            const QSharedPointer<UvcDevice> selected = registry_->getDevBySn(sn);
            if (!selected || selected->commandGeneration() != generation) {
                qDebug() << "Status read before a command ignored:" << sn;
                return;
            }
            onDevStateUpdate(status);
        },
        Qt::QueuedConnection);
    connect(device.data(), &UvcDevice::devStateUpdate, this, [waiting] { ++*waiting; }, Qt::DirectConnection);
    // Likewise a picture result: it must not land in another camera's slot.
    connect(
        device.data(), &UvcDevice::fileDownloadDone, this,
        [this, sn](unsigned int type, int result) {
            if (sn == currSn_)
                onDevImageDownload(type, result);
        },
        Qt::QueuedConnection);
    // Asked for only now: the device thread may fetch a thumbnail at once,
    // and a result emitted before the connection above would be lost.
    queueThumbnails(device);

    showMediaMode(status, type);
    showBlurLevel(status.blurLevel(type));
    if (CameraStatus::hasField(CameraStatus::Field::ButtonMode, type))
        showButtonModeOnPage(status.buttonRotation(type));

    devAwake_ = statusAwake(status, type);
    setDevStateOnPages(devAwake_);
    showSleepOverlay(!devAwake_);
}

// What the camera's family does not report is what the panel showed for it
// last, as the status refresh keeps it (applyStatus).
void MainUserUi::showMediaMode(const CameraStatus& status, int type)
{
    using Field = CameraStatus::Field;
    setMediaMode(CameraStatus::hasField(Field::MediaMode, type) ? status.mediaMode(type) : own_.mediaMode,
                 status.backgroundKind(type), status.blurLevel(type), status.bgProtectArea2(type),
                 status.bgProtectArea1(type), reportedOr(status, type, Field::ViewArea, own_.viewArea),
                 reportedOr(status, type, Field::AutoFramingParam, own_.framingMode),
                 reportedOr(status, type, Field::AutoFramingSize, own_.framingSize));
}

void MainUserUi::queueThumbnails(const QSharedPointer<UvcDevice>& device)
{
    for (unsigned int type : {1u, 2u, 4u})
        device->startFileDownloadAsync(UvcDevice::ImageTransType(type));
}

// The zoom of a status as the ratio the panel shows: 1x to 2x, 4x on a 4K model.
void MainUserUi::showZoom(int zoom)
{
    zoomText_ = zoomRatioText(zoom);
    ui->lbZoomValue->setText(zoomText_);
    const bool blocked = ui->slZoom->blockSignals(true);  // the camera is there already
    ui->slZoom->setValue(zoom);
    ui->slZoom->blockSignals(blocked);
}

void MainUserUi::onDevRenamed(DevButton* button)
{
    devSleep_->changeDevName(button->index(), button->text());
}

void MainUserUi::onDevChangedFromSleepUi(int index)
{
    if (DevButton* button = devButtons_.value(index))
        onDevSelectedChanged(button);
}

void MainUserUi::onDevStateUpdate(CameraStatus status)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device || nowMs() - lastUserActionMs_ < kStatusHoldOffMs)
        return;
    const int type = device->getProductType();
    if (statusAwake(status, type)) {
        if (!devAwake_) {
            actionSource_ = vesk::pc::SourceDevice;
            // The status goes on the panel once the camera shows awake, and
            // only if it is still the selected one then.
            onDevResumed([this, status, type] { applyStatus(status, type); });
            actionSource_ = vesk::pc::SourceMouse;
            return;
        }
        applyStatus(status, type);
        return;
    }
    if (statusAsleep(status, type) && devAwake_) {
        actionSource_ = vesk::pc::SourceDevice;
        on_pbDevStatus_clicked();
        actionSource_ = vesk::pc::SourceMouse;
    }
}

// A running camera's status brought into the window, with the reports of
// slider moves that the camera has now applied.
void MainUserUi::applyStatus(const CameraStatus& status, int type)
{
    const int zoom = qMin(status.zoomPosition(type), 100);
    if (videoCfg_) {
        showZoom(zoom);
    } else {
        zoomHoldOff_ = zoomHoldOff_ < 0 ? zoomHoldOff_ + 1 : 0;
        if (zoomHoldOff_ >= 0) {
            if (zoom != ui->slZoom->value())  // a zoom the camera did not take goes back too
                showZoom(zoom);
            if (pendingZoomSource_ != vesk::pc::SourceNone) {
                vesk::pc::devActionToServer(currSn_, vesk::pc::ActionZooming, pendingZoomSource_, QString(),
                                            zoomText_);
                pendingZoomSource_ = vesk::pc::SourceNone;
            }
        }
    }
    if (virtualBgOn_) {
        showBlurLevel(status.blurLevel(type));
        if (pendingBlurSource_ != vesk::pc::SourceNone) {
            vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetBackgroundBlurLevel, pendingBlurSource_, QString(),
                                        QString::number(blurLevel_) + QLatin1Char('%'));
            pendingBlurSource_ = vesk::pc::SourceNone;
        }
    }
    // A family that does not report a field (the Zuki has no media mode, view
    // area or button mode) keeps what the user set rather than a zero.
    const auto reported = [type](CameraStatus::Field field) { return CameraStatus::hasField(field, type); };
    sizeButtonsHidden_ = status.portrait(type);
    const int autoSleep = status.field(CameraStatus::Field::AutoSleep, type);
    pushToSettingPage(SettingPush::AutoSleep, [autoSleep](SystemSettingUi& page) { page.setDevAutoSleep(autoSleep); });
    if (reported(CameraStatus::Field::MediaMode))
        showMediaMode(status, type);
    if (reported(CameraStatus::Field::ButtonMode))
        showButtonModeOnPage(status.buttonRotation(type));
    const int noiseCancellation = status.noiseCancellationOn(type);
    pushToSettingPage(SettingPush::NoiseCancellation,
                      [noiseCancellation](SystemSettingUi& page) { page.setNoiseCancellation(noiseCancellation); });
    if (reported(CameraStatus::Field::VirtualBgSwitch))
        showVirtualBgSwitch(status.virtualBackgroundOn(type) ? 0 : 1);

    if (padReportCounter_ > 0)
        ++padReportCounter_;
    if (padReportCounter_ >= 30) {
        const vesk::pc::ActionSourceType source = padReportCounter_ >= 90   ? vesk::pc::SourceRemote
                                                  : padReportCounter_ >= 60 ? vesk::pc::SourceKey
                                                                            : vesk::pc::SourceMouse;
        if (padReportCounter_ == 30 || padReportCounter_ == 60 || padReportCounter_ >= 90) {
            vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetCropArea, source);
            padReportCounter_ = 0;
        }
    }
}

// The panel brought in line with the camera's media mode: auto framing and
// the virtual background exclude each other.
void MainUserUi::setMediaMode(int mode, int bgMode, int maskLevel, int bgColor, int imageIndex, int fov,
                              int afMode, int afSize)
{
    switch (mode) {
    case CameraStatus::MediaAutoFraming:
        setBgProtectAreaUiEnabled(false, 0, 50, 0, 0);
        autoFramingOn_ = true;
        setSwitchIcon(ui->pbAutoFraming, true);
        setViewAreaUiEnabled(false, -1);
        setAutoFramingUiEnabled(true, afMode, afSize);
        break;
    case CameraStatus::MediaVirtualBackground:
        virtualBgOn_ = true;
        setSwitchIcon(ui->pbVirtualBg, true);
        autoFramingOn_ = false;
        setSwitchIcon(ui->pbAutoFraming, false);
        setAutoFramingUiEnabled(false, -1, -1);
        setBgProtectAreaUiEnabled(true, bgMode, maskLevel, bgColor, imageIndex);
        setViewAreaUiEnabled(true, fov);
        break;
    case CameraStatus::MediaNone:
        setBgProtectAreaUiEnabled(false, 0, 50, 0, 0);
        autoFramingOn_ = false;
        setSwitchIcon(ui->pbAutoFraming, false);
        setAutoFramingUiEnabled(false, -1, -1);
        setViewAreaUiEnabled(!currSn_.isEmpty(), currSn_.isEmpty() ? -1 : fov);
        break;
    default:
        break;
    }
}

void MainUserUi::onCurrDevStateRefresh()
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    CameraStatus status;
    if (!device->getCameraStatus(status))
        status = device->cachedStatus();
    bindSettingPage(currSn_, status);
    // Called after a factory reset: the view and framing the user chose went
    // with the camera's other settings, also where its status does not say so.
    own_ = OwnState();
    ownBySn_.remove(currSn_);
    showMediaMode(status, device->getProductType());
    queueThumbnails(device);
}

void MainUserUi::onStateReportTimer()
{
    for (const QSharedPointer<UvcDevice>& device : registry_->devList()) {
        if (device->devMode() == UvcDevice::DevModeUvc)
            vesk::pc::pushDevUsageState(device->sn());
    }
}

void MainUserUi::setUiState(bool connected)
{
    for (QLabel* caption : {ui->lbConnect, ui->lbAutoFraming, ui->lbVirtualBg, ui->lbView, ui->lbZoom,
                            ui->lbZoomValue, ui->lbDirection, ui->lbDevStatus})
        MainUiStyle::apply(caption, MainUiStyle::caption(connected));
    for (QLabel* caption : {ui->lbBgOption, ui->lbBlurLevel, ui->lbBlurLevelValue})
        MainUiStyle::apply(caption, MainUiStyle::caption(false));
    autoFramingOn_ = false;
    virtualBgOn_ = false;
    setLook(ui->pbBgBlur, MainUiStyle::LeftSegment, MainUiStyle::Disabled);
    setLook(ui->pbBgGreenScreen, MainUiStyle::Square, MainUiStyle::Disabled);
    setLook(ui->pbBgReplace, MainUiStyle::RightSegment, MainUiStyle::Disabled);
    MainUiStyle::apply(ui->slBlurLevel, MainUiStyle::slider(false));
    ui->slBlurLevel->setEnabled(false);
    const MainUiStyle::Look rounded = connected ? MainUiStyle::Normal : MainUiStyle::Disabled;
    setLook(ui->pbDevStatus, MainUiStyle::Rounded, rounded);
    setLook(ui->pbDirectionReset, MainUiStyle::Rounded, rounded);
    for (QPushButton* view : {ui->pbView65, ui->pbView78, ui->pbView86})
        setLook(view, MainUiStyle::Rounded, connected ? MainUiStyle::Selected : MainUiStyle::Disabled);
    for (QPushButton* button : {ui->pbDevStatus, ui->pbDirectionReset, ui->pbView65, ui->pbView78, ui->pbView86})
        button->setEnabled(connected);
    MainUiStyle::apply(ui->slZoom, MainUiStyle::slider(connected));
    ui->slZoom->setEnabled(connected);
    directionPad_->setWidgetState(connected);
    if (connected) {
        ui->pbAutoFraming->blockSignals(false);
        ui->pbVirtualBg->blockSignals(false);
        ui->swOptionSet->setCurrentIndex(0);
        return;
    }
    for (QPushButton* button : {ui->pbAutoFraming, ui->pbVirtualBg, ui->pbSingleMode, ui->pbGroupMode,
                                ui->pbCloseUp, ui->pbUpperBody})
        button->blockSignals(true);
    setLook(ui->pbSingleMode, MainUiStyle::LeftSegment, MainUiStyle::Disabled);
    setLook(ui->pbGroupMode, MainUiStyle::RightSegment, MainUiStyle::Disabled);
    setLook(ui->pbCloseUp, MainUiStyle::Rounded, MainUiStyle::Disabled);
    setLook(ui->pbUpperBody, MainUiStyle::Rounded, MainUiStyle::Disabled);
    for (QPushButton* option : {ui->pbBgBlur, ui->pbBgGreenScreen, ui->pbBgReplace})
        option->setEnabled(false);
    showBlurLevel(0);
    showZoom(0);
    setBgColor(-2);
    enableVirtualBg(false);
}

// The section only shows or hides: every other row keeps its place and the
// panel its size, since the direction pad beside the section reaches as low.
void MainUserUi::enableVirtualBg(bool on)
{
    QWidget* const section[] = {ui->lbVirtualBg, ui->pbVirtualBgHelp, ui->lbVirtualBgBeta, ui->pbVirtualBg,
                                ui->lbBgOption, ui->pbBgBlur, ui->pbBgGreenScreen, ui->pbBgReplace,
                                ui->swOptionSet, ui->line3};
    for (QWidget* widget : section)
        widget->setVisible(on);
    placeHelpButtons();
}

bool MainUserUi::hasVirtualBg() const
{
    return !ui->pbVirtualBg->isHidden();
}

void MainUserUi::updateUI()
{
    for (DevButton* button : devButtons_) {
        if (!button->hasDevice())
            button->setText(tr("None"));
    }
    for (ImageItem* item : imageItems_) {
        if (item->state() == ImageItem::Empty)
            item->setState(ImageItem::Empty);  // the add icon again
    }
    // The form's texts came back with a language change; the values did not change.
    ui->lbZoomValue->setText(zoomText_);
    ui->lbBlurLevelValue->setText(QString::number(ui->slBlurLevel->value()) + QLatin1Char('%'));
    placeHelpButtons();
}

void MainUserUi::setDevStateOnPages(bool awake)
{
    pushToSettingPage(SettingPush::DevState, [awake](SystemSettingUi& page) { page.setDevState(awake); });
}

void MainUserUi::bindSettingPage(const QString& sn, const CameraStatus& status)
{
    pushToSettingPage(SettingPush::Camera,
                      [sn, status](SystemSettingUi& page) { page.setCurrentUvcDevSn(sn, &status); });
    const QSharedPointer<UvcDevice> device = sn.isEmpty() ? nullptr : registry_->getDevBySn(sn);
    if (!device)
        return;
    QString info;
    if (device->isUpgradeNeeded(info) == 2) {
        SystemSettingUi::queryFirmware(device, this, [this](const QString& asked, const QJsonObject& reply) {
            const int shown = SystemSettingUi::takeFirmwareReply(asked, reply, ugInfo_);
            if (settingUi_)
                settingUi_->showFirmwareReply(asked, shown);
        });
    }
    // A camera without the switch has no virtual background: the section an
    // earlier camera showed goes.
    enableVirtualBg(status.virtualBackgroundOn(device->getProductType()));
}

void MainUserUi::showButtonModeOnPage(int mode)
{
    pushToSettingPage(SettingPush::ButtonMode, [mode](SystemSettingUi& page) { page.setBtnAdaptationMode(mode); });
}

void MainUserUi::showVirtualBgSwitch(int value)
{
    pushToSettingPage(SettingPush::VirtualBg, [value](SystemSettingUi& page) { page.setVirtualBg(value); });
    if (currentDevice())
        enableVirtualBg(value == 0);
}

void MainUserUi::showSleepOverlay(bool show)
{
    if (show && devSleep_->isHidden()) {
        devSleep_->show();
        devSleep_->raise();
    } else if (!show && devSleep_->isVisible()) {
        devSleep_->hide();
    }
}
