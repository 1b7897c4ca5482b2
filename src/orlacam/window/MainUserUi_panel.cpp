// The camera control panel: auto framing, zoom, field of view, the virtual
// background with its options, sleep and the help texts. Every control looks
// the selected camera up by serial at the moment it acts; none waits for
// the camera's answer, the next status refresh brings the panel in line.

#include "orlacam/window/MainUserUi.h"

#include "comm/Util.h"
#include "orlacam/window/CloudReports.h"
#include "orlacam/window/DirectionHandler.h"
#include "orlacam/window/MainUiStyle.h"
#include "ui_MainUserUi.h"
#include "uicomm/MsgInfoUi.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QPointer>

using vesk::pc::CameraStatus;
using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;

namespace {

constexpr int kZoomThrottleMs = 99;   // a drag sends when more than this has passed
constexpr int kZoomSpeed = 100;
constexpr int kZoomMethodUvc = 0;
constexpr int kBlurPollCap = 80;
constexpr int kViewPoll = 80;
constexpr int kAutoFramingPoll = -50;
constexpr int kSleepWakePoll = -150;
constexpr int kPromptHeight = 180;


const char* const kHelpIcon = ":/source/orlacam/icon/question.png";

// The zoom throttle keeps one time for the process, shared by all cameras.
qint64 g_lastZoomSendMs = 0;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

struct BgOption
{
    int page;
    UvcDevice::MediaBgMode mode;
    const char* reported;
};

// Index: 0 blur, 1 green screen, 2 replacement (also the option page).
const BgOption kBgOptions[] = {
    {0, UvcDevice::MediaBgBlur, "BLUR"},
    {1, UvcDevice::MediaBgGreenScreen, "GREEN"},
    {2, UvcDevice::MediaBgReplace, "REPLACE"},
};

struct ColourLook
{
    const char* colour;
    const char* disabled;
    int x;
};

// Index: 0 blue, 1 green (the camera's colour numbers).
const ColourLook kColours[] = {{"#2528E9", "#1A1C6A", 184}, {"#61E96A", "#326937", 262}};

QString colourStyle(const char* colour, bool chosen)
{
    return chosen ? QStringLiteral("QPushButton { background-color: %1; border: 2px solid #FFFFFF;"
                                   " border-radius: 13px; }").arg(QLatin1String(colour))
                  : QStringLiteral("QPushButton { background-color: %1; border: 2px solid %1;"
                                   " border-radius: 12px; }").arg(QLatin1String(colour));
}

} // namespace

void MainUserUi::initPanel()
{
    zoomTrailTimer_.setSingleShot(true);
    zoomTrailTimer_.setInterval(kZoomThrottleMs + 1);
    connect(&zoomTrailTimer_, &QTimer::timeout, this, &MainUserUi::onZoomTrail);
    ui->slZoom->setRange(0, 100);
    ui->slZoom->setValue(0);
    ui->slBlurLevel->setRange(0, 100);
    ui->slBlurLevel->setValue(0);
    for (QPushButton* help : {ui->pbAutoFramingHelp, ui->pbVirtualBgHelp, ui->pbDirectionHelp, ui->pbSelectHelp}) {
        help->setIcon(QIcon(QLatin1String(kHelpIcon)));
        help->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    }
    for (QPushButton* button : {ui->pbAutoFraming, ui->pbVirtualBg}) {
        setSwitchIcon(button, false);
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    }
}

void MainUserUi::setSwitchIcon(QWidget* button, bool on)
{
    switchIcons_.show(static_cast<QPushButton*>(button), on);
}

// Help buttons 4 px right of the end of their caption's text; the caption
// keeps only the width of its text so that the two never overlap.
void MainUserUi::placeHelpButtons()
{
    ui->lbAutoFraming->ensurePolished();
    const QFontMetrics metrics(ui->lbAutoFraming->font());
    const struct
    {
        QLabel* caption;
        QPushButton* help;
    } pairs[] = {
        {ui->lbAutoFraming, ui->pbAutoFramingHelp},
        {ui->lbDirection, ui->pbDirectionHelp},
        {ui->lbVirtualBg, ui->pbVirtualBgHelp},
        {ui->lbSelect, ui->pbSelectHelp},
    };
    for (const auto& pair : pairs) {
        const int textWidth = metrics.horizontalAdvance(pair.caption->text());
        pair.caption->resize(textWidth + 2, pair.caption->height());
        pair.help->move(pair.caption->x() + textWidth + 4, pair.caption->y() + 7);
    }
    ui->lbVirtualBgBeta->move(ui->pbVirtualBgHelp->geometry().right() + 9, ui->lbVirtualBgBeta->y());
    ui->pbAutoFramingHelp->show();
    ui->pbAutoFramingHelp->raise();
}

QString MainUserUi::zoomRatioText(int position) const
{
    // The camera always gets 1.0 to 2.0; a 4K model only shows the wider range.
    const double ratio = 1.0 + (dev4K_ ? 3.0 : 1.0) * position / 100.0;
    return QString::number(ratio, 'g', 3) + QLatin1Char('x');
}

// Looks the selected camera up and puts its next status read off, so that
// the status cannot undo the command before the camera has applied it.
QSharedPointer<UvcDevice> MainUserUi::markedCommand(int pollCounter)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return device;
    device->setStatusPollCounter(pollCounter);
    lastUserActionMs_ = nowMs();
    return device;
}

void MainUserUi::sendZoom(int position)
{
    zoomText_ = zoomRatioText(position);
    ui->lbZoomValue->setText(zoomText_);
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    zoomTrailTimer_.stop();
    device->cameraSetZoomRatio(1.0 + position / 100.0, kZoomSpeed, kZoomMethodUvc);
    zoomHoldOff_ = -3;
}

void MainUserUi::on_slZoom_sliderPressed()
{
    sendZoom(ui->slZoom->value());
}

void MainUserUi::on_slZoom_sliderMoved(int value)
{
    zoomText_ = zoomRatioText(value);
    ui->lbZoomValue->setText(zoomText_);
}

void MainUserUi::on_slZoom_sliderReleased()
{
    sendZoom(ui->slZoom->value());
    pendingZoomSource_ = vesk::pc::SourceMouse;
}

void MainUserUi::on_slZoom_valueChanged(int value)
{
    zoomText_ = zoomRatioText(value);
    ui->lbZoomValue->setText(zoomText_);
    if (videoCfg_ || !currentDevice())
        return;
    if (nowMs() - g_lastZoomSendMs > kZoomThrottleMs) {
        sendZoom(value);
        g_lastZoomSendMs = nowMs();
    } else if (!zoomTrailTimer_.isActive()) {
        // The last position of a move always reaches the camera.
        zoomTrailTimer_.start();
    }
    zoomHoldOff_ = -3;
    if (pendingZoomSource_ == vesk::pc::SourceNone)
        pendingZoomSource_ = vesk::pc::SourceMouse;
}

void MainUserUi::onZoomTrail()
{
    if (videoCfg_)
        return;
    sendZoom(ui->slZoom->value());
    g_lastZoomSendMs = nowMs();
}

void MainUserUi::sendBlurLevel(int position)
{
    ui->lbBlurLevelValue->setText(QString::number(position) + QLatin1Char('%'));
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->cameraSetMaskLevel(position);
    if (device->statusPollCounter() > kBlurPollCap) {
        device->setStatusPollCounter(kBlurPollCap);
        lastUserActionMs_ = nowMs();
    }
}

// A status may carry a level above 100; the panel shows at most 100, and the
// slider, already where the camera is, sends nothing.
void MainUserUi::showBlurLevel(int level)
{
    blurLevel_ = qBound(0, level, 100);
    ui->lbBlurLevelValue->setText(QString::number(blurLevel_) + QLatin1Char('%'));
    const bool blocked = ui->slBlurLevel->blockSignals(true);
    ui->slBlurLevel->setValue(blurLevel_);
    ui->slBlurLevel->blockSignals(blocked);
}

void MainUserUi::on_slBlurLevel_sliderPressed()
{
    sendBlurLevel(ui->slBlurLevel->value());
}

void MainUserUi::on_slBlurLevel_sliderMoved(int value)
{
    ui->lbBlurLevelValue->setText(QString::number(value) + QLatin1Char('%'));
}

void MainUserUi::on_slBlurLevel_sliderReleased()
{
    sendBlurLevel(ui->slBlurLevel->value());
    pendingBlurSource_ = vesk::pc::SourceMouse;
}

void MainUserUi::on_slBlurLevel_valueChanged(int value)
{
    sendBlurLevel(value);
    if (pendingBlurSource_ == vesk::pc::SourceNone)
        pendingBlurSource_ = vesk::pc::SourceMouse;
}

void MainUserUi::lockSwitch(QWidget* button)
{
    button->blockSignals(true);
    const QPointer<QWidget> guarded(button);
    QTimer::singleShot(timing_.switchLockMs, this, [guarded] {
        if (guarded)
            guarded->blockSignals(false);
    });
}

void MainUserUi::on_pbAutoFraming_clicked()
{
    const QString sn = currSn_;
    if (!currentDevice() || ui->pbAutoFraming->signalsBlocked())
        return;
    if (!virtualBgOn_ || autoFramingOn_ || GlobalParams::get().auto_framing_tips) {
        switchAutoFraming(sn);
        return;
    }
    GlobalParams::get().auto_framing_tips = true;
    GlobalParams::get().saveParams();
    auto* box = new MsgInfoUi(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->hideTitle();
    box->setText(tr("Virtual background will be turned off once the Auto Framing is activated, also "
                    "adjustment of FoV, Zoom in/out and Direction will be disabled!"));
    box->addButton(QMessageBox::Yes | QMessageBox::No);
    box->setButtonText(QMessageBox::Yes, tr("Turn On"));
    box->setButtonText(QMessageBox::No, tr("Cancel"));
    connect(box, &MsgInfoUi::answered, this, [this, sn](int answer) {
        if (answer == QMessageBox::Yes)
            switchAutoFraming(sn);
    });
    box->ask();
}

void MainUserUi::switchAutoFraming(const QString& sn)
{
    // After the question the camera may have left, or another been selected.
    const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
    if (!device || sn != currSn_ || ui->pbAutoFraming->signalsBlocked())
        return;
    autoFramingOn_ = !autoFramingOn_;
    setSwitchIcon(ui->pbAutoFraming, autoFramingOn_);
    const CameraStatus status = device->cachedStatus();
    const int type = device->getProductType();
    using Field = CameraStatus::Field;
    setMediaMode(autoFramingOn_ ? CameraStatus::MediaAutoFraming : CameraStatus::MediaNone, 0, 0, 0, 0,
                 reportedOr(status, type, Field::ViewArea, own_.viewArea),
                 reportedOr(status, type, Field::AutoFramingParam, own_.framingMode),
                 reportedOr(status, type, Field::AutoFramingSize, own_.framingSize));
    device->cameraSetMediaMode(autoFramingOn_ ? UvcDevice::MediaModeAutoFraming : UvcDevice::MediaModeNormal);
    device->setStatusPollCounter(kAutoFramingPoll);
    lastUserActionMs_ = nowMs();
    vesk::pc::devActionToServer(sn, vesk::pc::ActionSetAutoFramingEnabled, actionSource_, QString(), autoFramingOn_);
    lockSwitch(ui->pbAutoFraming);
}

void MainUserUi::styleSizeButtons(int selected)
{
    const auto look = [selected](int size) {
        return selected < 0 ? MainUiStyle::Disabled : selected == size ? MainUiStyle::Selected : MainUiStyle::Normal;
    };
    setLook(ui->pbCloseUp, MainUiStyle::Rounded, look(0));
    setLook(ui->pbUpperBody, MainUiStyle::Rounded, look(1));
}

// Group (single false) or single framing; single keeps the size the camera has.
void MainUserUi::selectFramingMode(bool single)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    setLook(ui->pbSingleMode, MainUiStyle::LeftSegment, single ? MainUiStyle::Selected : MainUiStyle::Normal);
    setLook(ui->pbGroupMode, MainUiStyle::RightSegment, single ? MainUiStyle::Normal : MainUiStyle::Selected);
    (single ? ui->pbSingleMode : ui->pbGroupMode)->raise();
    int size = -1;
    if (single) {
        CameraStatus status;
        if (!device->getCameraStatus(status))
            status = device->cachedStatus();
        size = reportedOr(status, device->getProductType(), CameraStatus::Field::AutoFramingSize, own_.framingSize);
        own_.framingSize = size;
    }
    own_.framingMode = single ? 1 : 0;
    lastUserActionMs_ = nowMs();
    device->cameraSetAutoFramingMode(single ? 1 : 0, int8_t(size));
    device->setStatusPollCounter(0);
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetAutoFramingMode, actionSource_, QString(), single ? 1 : 0);
    if (sizeButtonsHidden_)
        return;
    ui->pbCloseUp->blockSignals(!single);
    ui->pbUpperBody->blockSignals(!single);
    styleSizeButtons(single ? (size == 0 ? 0 : 1) : -1);
}

void MainUserUi::selectFramingSize(int size)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    styleSizeButtons(size);
    own_.framingMode = 1;
    own_.framingSize = size;
    lastUserActionMs_ = nowMs();
    device->cameraSetAutoFramingMode(1, int8_t(size));
    device->setStatusPollCounter(0);
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetAutoFramingSize, actionSource_, QString(), size);
}

void MainUserUi::on_pbGroupMode_clicked() { selectFramingMode(false); }
void MainUserUi::on_pbSingleMode_clicked() { selectFramingMode(true); }
void MainUserUi::on_pbCloseUp_clicked() { selectFramingSize(0); }
void MainUserUi::on_pbUpperBody_clicked() { selectFramingSize(1); }

int MainUserUi::reportedOr(const CameraStatus& status, int type, CameraStatus::Field field, int own) const
{
    return CameraStatus::hasField(field, type) ? status.field(field, type) : own;
}

void MainUserUi::styleViewButtons(int fov)
{
    const struct
    {
        QPushButton* button;
        int fov;
    } views[] = {{ui->pbView86, 0}, {ui->pbView78, 1}, {ui->pbView65, 2}};
    for (const auto& view : views)
        setLook(view.button, MainUiStyle::Rounded, view.fov == fov ? MainUiStyle::Selected : MainUiStyle::Normal);
}

void MainUserUi::selectView(int fov, const char* shown)
{
    const QSharedPointer<UvcDevice> device = markedCommand(kViewPoll);
    if (!device)
        return;
    device->cameraSetFov(fov);
    own_.viewArea = fov;
    zoomHoldOff_ = 0;
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetViewMode, actionSource_, QString(), QLatin1String(shown));
    if (!autoFramingOn_)
        styleViewButtons(fov);
}

void MainUserUi::on_pbView65_clicked() { selectView(2, "65"); }
void MainUserUi::on_pbView78_clicked() { selectView(1, "78"); }
void MainUserUi::on_pbView86_clicked() { selectView(0, "86"); }

void MainUserUi::disableBgArea()
{
    setLook(ui->pbBgBlur, MainUiStyle::LeftSegment, MainUiStyle::Disabled);
    setLook(ui->pbBgGreenScreen, MainUiStyle::Square, MainUiStyle::Disabled);
    setLook(ui->pbBgReplace, MainUiStyle::RightSegment, MainUiStyle::Disabled);
    for (QLabel* caption : {ui->lbBgOption, ui->lbBlurLevel, ui->lbBlurLevelValue, ui->lbSelect, ui->lbColor})
        MainUiStyle::apply(caption, MainUiStyle::caption(false));
    MainUiStyle::apply(ui->slBlurLevel, MainUiStyle::slider(false));
    ui->slBlurLevel->setEnabled(false);
    setBgColor(-2);
    setPictureSlotStates(false, -1);
}

void MainUserUi::on_pbVirtualBg_clicked()
{
    const QString sn = currSn_;
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device || ui->pbVirtualBg->signalsBlocked())
        return;
    virtualBgOn_ = !virtualBgOn_;
    setSwitchIcon(ui->pbVirtualBg, virtualBgOn_);
    if (virtualBgOn_) {
        CameraStatus status;
        if (!device->getCameraStatus(status))
            status = device->cachedStatus();
        const int type = device->getProductType();
        setMediaMode(CameraStatus::MediaVirtualBackground, status.backgroundKind(type), status.blurLevel(type),
                     status.bgProtectArea2(type), status.bgProtectArea1(type),
                     reportedOr(status, type, CameraStatus::Field::ViewArea, own_.viewArea), 0, 0);
    } else {
        disableBgArea();
    }
    device->cameraSetMediaMode(virtualBgOn_ ? UvcDevice::MediaModeVirtualBg : UvcDevice::MediaModeNormal);
    vesk::pc::devActionToServer(sn, vesk::pc::ActionSetBackgroundModeEnabled, actionSource_, QString(), virtualBgOn_);
    device->setStatusPollCounter(0);
    lastUserActionMs_ = nowMs();
    lockSwitch(ui->pbVirtualBg);
}

void MainUserUi::styleBgOptions(int option)
{
    const auto look = [option](int index) {
        return index == option ? MainUiStyle::Selected : MainUiStyle::Normal;
    };
    setLook(ui->pbBgBlur, MainUiStyle::LeftSegment, look(0));
    setLook(ui->pbBgGreenScreen, MainUiStyle::Square, look(1));
    setLook(ui->pbBgReplace, MainUiStyle::RightSegment, look(2));
    QPushButton* const buttons[] = {ui->pbBgBlur, ui->pbBgGreenScreen, ui->pbBgReplace};
    if (option >= 0 && option < 3) {
        buttons[option]->raise();
        ui->swOptionSet->setCurrentIndex(kBgOptions[option].page);
    }
}

void MainUserUi::selectBgOption(int option)
{
    if (!virtualBgOn_)
        return;
    styleBgOptions(option);
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->cameraSetBgMode(kBgOptions[option].mode);
    device->setStatusPollCounter(0);
    lastUserActionMs_ = nowMs();
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetBackgroundModeOption, actionSource_, QString(),
                                QLatin1String(kBgOptions[option].reported));
}

void MainUserUi::on_pbBgBlur_clicked() { selectBgOption(0); }
void MainUserUi::on_pbBgGreenScreen_clicked() { selectBgOption(1); }
void MainUserUi::on_pbBgReplace_clicked() { selectBgOption(2); }

void MainUserUi::chooseColor(int color)
{
    if (!virtualBgOn_)
        return;
    setBgColor(color);
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->cameraSetBgColor(UvcDevice::MediaBgModeColorType(color));
    device->setStatusPollCounter(0);
    lastUserActionMs_ = nowMs();
    // Reported as a mouse action even when a shortcut chose it.
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionSetBackgroundGreenScreenColor, vesk::pc::SourceMouse, QString(),
                                color == UvcDevice::MediaBgColorGreen ? QStringLiteral("GREEN")
                                                                      : QStringLiteral("BLUE"));
}

void MainUserUi::on_pbColorG_clicked() { chooseColor(UvcDevice::MediaBgColorGreen); }
void MainUserUi::on_pbColorB_clicked() { chooseColor(UvcDevice::MediaBgColorBlue); }

// A modal box with the Yes button only, deleted when answered; an empty
// title is hidden.
void MainUserUi::runInfoBox(const QString& title, const QString& text, const QString& yesText, int height)
{
    auto* box = new MsgInfoUi(this);
    if (title.isEmpty())
        box->hideTitle();
    else
        box->setTitle(title);
    box->setText(text);
    box->addButton(QMessageBox::Yes);
    if (!yesText.isEmpty())
        box->setButtonText(QMessageBox::Yes, yesText);
    if (height > 0)
        box->setFixedHeight(height);
    box->open();
}

void MainUserUi::showInfoDialog(const QString& title, const QString& text)
{
    runInfoBox(title, text);
}

void MainUserUi::showHelp(const QString& text)
{
    runInfoBox(QString(), text, tr("OK"));
}

void MainUserUi::on_pbAutoFramingHelp_clicked()
{
    showHelp(tr("The Virtual background will automatically turn off once the AI Auto-framing is activated, "
                "and the adjustment of FoV, Zoom in/out and Direction will be disabled too."));
}

void MainUserUi::on_pbVirtualBgHelp_clicked()
{
    showHelp(tr("Auto framing will be turned off once virtual background is activated."));
}

void MainUserUi::on_pbSelectHelp_clicked()
{
    showHelp(tr("Right click to delete the custom image. The default image cannot be deleted."));
}

void MainUserUi::on_pbDirectionHelp_clicked()
{
    showHelp(tr("Please zoom in first before adjusting the direction."));
}

bool MainUserUi::onPromptDevUpgrade(const QString& current, const QString& minimum, const QString& shown)
{
    if (vesk::pc::Util::verStrToUint(current) >= vesk::pc::Util::verStrToUint(minimum))
        return false;
    runInfoBox(tr("Tips"),
               tr("Please upgrade to the v") + shown + tr(" or higher for new features with your OrlaCam."),
               QString(), kPromptHeight);
    return true;
}

// Sleep or wake, whichever the selected camera is not in now.
void MainUserUi::on_devSleepResume()
{
    if (devAwake_)
        sleepSelected(kSleepWakePoll);
    else
        wakeSelected(kSleepWakePoll);
}

void MainUserUi::setAutoFramingUiEnabled(bool enabled, int mode, int size)
{
    QPushButton* const all[] = {ui->pbGroupMode, ui->pbSingleMode, ui->pbCloseUp, ui->pbUpperBody};
    if (!enabled) {
        setLook(ui->pbSingleMode, MainUiStyle::LeftSegment, MainUiStyle::Disabled);
        setLook(ui->pbGroupMode, MainUiStyle::RightSegment, MainUiStyle::Disabled);
        styleSizeButtons(-1);
        for (QPushButton* button : all)
            button->blockSignals(true);
        ui->pbCloseUp->setVisible(!sizeButtonsHidden_);
        ui->pbUpperBody->setVisible(!sizeButtonsHidden_);
        return;
    }
    const bool single = mode != 0;
    own_.framingMode = single ? 1 : 0;
    own_.framingSize = size;
    ui->pbGroupMode->blockSignals(false);
    ui->pbSingleMode->blockSignals(false);
    setLook(ui->pbSingleMode, MainUiStyle::LeftSegment, single ? MainUiStyle::Selected : MainUiStyle::Normal);
    setLook(ui->pbGroupMode, MainUiStyle::RightSegment, single ? MainUiStyle::Normal : MainUiStyle::Selected);
    (single ? ui->pbSingleMode : ui->pbGroupMode)->raise();
    if (sizeButtonsHidden_) {
        styleSizeButtons(2);  // neither selected: both normal
        ui->pbCloseUp->hide();
        ui->pbUpperBody->hide();
        ui->pbCloseUp->blockSignals(true);
        ui->pbUpperBody->blockSignals(true);
        return;
    }
    ui->pbCloseUp->show();
    ui->pbUpperBody->show();
    styleSizeButtons(single ? (size == 0 ? 0 : 1) : -1);
    ui->pbCloseUp->blockSignals(!single);
    ui->pbUpperBody->blockSignals(!single);
}

void MainUserUi::setBgProtectAreaUiEnabled(bool enabled, int bgMode, int blurLevel, int bgColor, int pictureIndex)
{
    QPushButton* const options[] = {ui->pbBgBlur, ui->pbBgGreenScreen, ui->pbBgReplace};
    if (!enabled || !virtualBgOn_) {
        virtualBgOn_ = false;
        setSwitchIcon(ui->pbVirtualBg, false);
        disableBgArea();
        for (QPushButton* button : options)
            button->setEnabled(false);
        setPictureSlotStates(false, pictureIndex);
        return;
    }
    for (QLabel* caption : {ui->lbBgOption, ui->lbBlurLevel, ui->lbBlurLevelValue, ui->lbColor, ui->lbSelect})
        MainUiStyle::apply(caption, MainUiStyle::caption(true));
    MainUiStyle::apply(ui->slBlurLevel, MainUiStyle::slider(true));
    // The camera tells its green screen by the colour: 0 in blue, 1 in green.
    const int mode = bgMode == CameraStatus::BgBlue ? int(UvcDevice::MediaBgGreenScreen) : bgMode;
    int option = -1;
    for (int i = 0; i < 3; ++i) {
        if (kBgOptions[i].mode == mode)
            option = i;
    }
    styleBgOptions(option);
    for (QPushButton* button : options)
        button->setEnabled(true);
    showBlurLevel(blurLevel);
    ui->slBlurLevel->setEnabled(true);
    setBgColor(bgColor);
    setPictureSlotStates(true, pictureIndex);
}

void MainUserUi::setViewAreaUiEnabled(bool enabled, int fov)
{
    const bool usable = enabled && !autoFramingOn_;
    for (QLabel* caption : {ui->lbView, ui->lbZoom, ui->lbZoomValue, ui->lbDirection})
        MainUiStyle::apply(caption, MainUiStyle::caption(usable));
    if (usable) {
        own_.viewArea = fov;
        styleViewButtons(fov);
    } else {
        for (QPushButton* view : {ui->pbView65, ui->pbView78, ui->pbView86})
            setLook(view, MainUiStyle::Rounded, MainUiStyle::Disabled);
    }
    for (QPushButton* button : {ui->pbView65, ui->pbView78, ui->pbView86, ui->pbDirectionReset})
        button->setEnabled(usable);
    setLook(ui->pbDirectionReset, MainUiStyle::Rounded, usable ? MainUiStyle::Normal : MainUiStyle::Disabled);
    directionPad_->setWidgetState(usable);
    MainUiStyle::apply(ui->slZoom, MainUiStyle::slider(usable));
    ui->slZoom->setEnabled(usable);
}

void MainUserUi::setBgColor(int color)
{
    if (color < -2 || color > 1)
        return;
    QPushButton* const buttons[] = {ui->pbColorB, ui->pbColorG};
    for (int i = 0; i < 2; ++i) {
        const ColourLook& look = kColours[i];
        const bool chosen = color == i;
        buttons[i]->setEnabled(color != -2);
        if (color == -2) {
            MainUiStyle::apply(buttons[i], colourStyle(look.disabled, false));
            buttons[i]->setGeometry(look.x, 28, 60, 24);
            continue;
        }
        MainUiStyle::apply(buttons[i], colourStyle(look.colour, chosen));
        buttons[i]->setGeometry(chosen ? QRect(look.x, 27, 60, 26) : QRect(look.x, 28, 60, 24));
    }
}
