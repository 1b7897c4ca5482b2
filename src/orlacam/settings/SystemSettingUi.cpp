#include "orlacam/settings/SystemSettingUi.h"

#include "comm/GlobalParams.h"
#include "orlacam/settings/CamSettings.h"
#include "orlacam/settings/SettingStyle.h"
#include "orlacam/settings/SystemSettingForm.h"
#include "uicomm/ButtonMode.h"
#include "uicomm/ForMoreUi.h"
#include "uicomm/HotKeyList.h"
#include "uicomm/Language.h"
#include "uicomm/ScreenPlacement.h"
#include "uicomm/UicommResources.h"
#include "uvc/UvcDevice.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QFrame>
#include <QHoverEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

using vesk::pc::GlobalParams;
using vesk::pc::UvcDevice;

namespace {

constexpr int kScrollFrom = 600;        // page height from which the rows scroll
constexpr int kAutoSleepOpenHeight = 235;
constexpr int kRowHeight = 49;
constexpr int kPopupDelayMs = 200;
constexpr int kPopupOverlap = 4;        // a popup beside its row covers the row's edge
constexpr int kTowardsPopup = 56;       // leaving a row nearer its popup than this keeps the popup
constexpr int kTitleHeight = 22;        // a row title on one line
constexpr int kFollowerMargin = 6;      // between a title's follower and the widget right of it

const char* const kSwitchNoCamera = ":/source/orlacam/icon/btn_dis_n@3x";
const char* const kArrowOn = ":/source/orlacam/icon/select_right_on";
const char* const kArrowOff = ":/source/orlacam/icon/select_right_off";
const char* const kWindowIcon = ":/source/orlacam/icon/orla_icon.ico";

// "Update" buttons by language: German and Spanish need wider ones.
struct UpgradeButtonWidth
{
    int languageType;
    int width;
};
const UpgradeButtonWidth kUpgradeWidths[] = {{4, 130}, {5, 100}};
constexpr int kUpgradeWidth = 80;
constexpr int kUpgradeRight = 340;  // both buttons end at x 339

int upgradeWidthFor(int languageType)
{
    for (const UpgradeButtonWidth& entry : kUpgradeWidths) {
        if (entry.languageType == languageType)
            return entry.width;
    }
    return kUpgradeWidth;
}

void setIcon(QPushButton* button, const char* icon)
{
    button->setIcon(QIcon(QLatin1String(icon)));
}

// How far point lies outside rect, on the axis where it lies farther; 0 inside.
int distanceOutside(const QPoint& point, const QRect& rect)
{
    const int across = qMax(rect.left() - point.x(), point.x() - rect.right());
    const int down = qMax(rect.top() - point.y(), point.y() - rect.bottom());
    return qMax(0, qMax(across, down));
}

} // namespace

static void initSettingResources()
{
    Q_INIT_RESOURCE(orlacam);
    initUicommResources();
}

bool SystemSettingUi::isDeviceActivity(int event)
{
    return (event >= 13 && event <= 15) || (event >= 18 && event <= 26);
}

SystemSettingUi::SystemSettingUi(QWidget* parent)
    : QWidget(parent)
    , ui(new SystemSettingForm)
{
    initSettingResources();
    ui->setupUi(this);

    globalHotkeysOn = GlobalParams::get().shortcut_range == 0;
    on_pbGlobalHotkeys_clicked();
    setWindowFlags(Qt::Window | Qt::WindowTitleHint);
    remoteCtrlOn = GlobalParams::get().shortcut_ext;
    setSwitchIcon(ui->pbRemoteCtrl, remoteCtrlOn);
    emit sendSettingEvent(remoteCtrlOn ? RemoteCtrlOn : RemoteCtrlOff);
    virtualBgSwitch = false;
    setSwitchIcon(ui->pbVirtualBg, false);
    ui->wVirtualBg->hide();

    for (QWidget* row : {ui->wButtonAdapt, ui->wLanguage, ui->wMore, ui->wDevAutoSleep, ui->wNoiseCancellation,
                         ui->wCameraSettings}) {
        row->setAttribute(Qt::WA_Hover, true);
        row->installEventFilter(this);
    }
    ui->scrollArea->viewport()->installEventFilter(this);

    ui->pbSoftwareUpgrade->setStyleSheet(SettingStyle::style(SettingStyle::UpgradeButton, true));
    ui->pbSoftwareUpgrade->hide();
    ui->pbFirmwareUpgrade->hide();
    setWindowIcon(QIcon(QLatin1String(kWindowIcon)));
    ui->lbSoftwareVersionVaule->setText(GlobalParams::getPcSoftwareVer());
    ui->pbFirmwareVersionHelp->show();

    moreUi = new ForMoreUi;
    buttonModeUi = new ButtonMode;
    connect(buttonModeUi, &ButtonMode::buttonModeChanged, this, &SystemSettingUi::on_buttonModeChanged);
    languageUi = new Language;
    languageUi->setLanguageType(GlobalParams::get().language_type);  // a choice there moves the tick
    camSettings = new CamSettings(serialNumber);
    camSettings->setWindowIcon(QIcon(QLatin1String(kWindowIcon)));
    connect(camSettings, &CamSettings::ended, this, [this] { camSettingsOpen = false; });
    hotKeyList = new HotKeyList;

    ui->scrollArea->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    autoSleepOn = false;
    noiseCancellationOn = false;
    serialNumber.clear();

    setDisplayState(false);
    on_buttonModeChanged(0);
    ui->wButtonAdapt->setVisible(virtualBgSwitch);
    placeUpgradeButtons();
    placeFollowers();
    resize(width(), minimumHeight());
    camSettingsOpen = false;
}

// The pages hang from rows of this page once shown, so they go first.
SystemSettingUi::~SystemSettingUi()
{
    const auto dispose = [](auto*& page) {
        if (page) {
            page->close();
            delete page;
            page = nullptr;
        }
    };
    dispose(moreUi);
    dispose(buttonModeUi);
    dispose(languageUi);
    dispose(hotKeyList);
    dispose(camSettings);
    // Hidden, not closed: a close would tell the main window, which may be
    // going away itself.
    if (isVisible())
        QWidget::hide();
    delete ui;
    ui = nullptr;
}

void SystemSettingUi::show()
{
    QWidget::show();
    setMaxHeight();
}

void SystemSettingUi::hide()
{
    hideSecondMenu();
    QWidget::hide();
}

void SystemSettingUi::hideSecondMenu()
{
    for (QWidget* page : {static_cast<QWidget*>(buttonModeUi), static_cast<QWidget*>(moreUi),
                          static_cast<QWidget*>(languageUi)}) {
        if (page && page->isVisible())
            page->hide();
    }
}

void SystemSettingUi::closeEvent(QCloseEvent* event)
{
    hideSecondMenu();
    QWidget::hide();
    event->ignore();
    emit sendSettingEvent(SettingPageClosed);
}

void SystemSettingUi::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && ui) {
        ui->retranslateUi(this);
        showButtonModeText(buttonModeUi ? buttonModeUi->getButtonModeType() : 0);
        if (autoSleepOn)
            adjustDevAutoSleepWidgetHeight();
        placeUpgradeButtons();
        placeFollowers();
        setMaxHeight();
    }
    QWidget::changeEvent(event);
}

void SystemSettingUi::setSwitchIcon(QWidget* button, bool on)
{
    switchIcons_.show(static_cast<QPushButton*>(button), on);
}

void SystemSettingUi::placeUpgradeButtons()
{
    const int width = upgradeWidthFor(GlobalParams::get().language_type);
    ui->pbFirmwareUpgrade->setFixedWidth(width);
    ui->pbFirmwareUpgrade->move(kUpgradeRight - width, ui->pbFirmwareUpgrade->y());
    ui->pbSoftwareUpgrade->setGeometry(kUpgradeRight - width, 12, width, 25);
}

// Help buttons and the "beta" badge follow the end of their title's text,
// which each language makes longer or shorter. A title with too little room
// before the widget on its right wraps onto two lines; the current button
// mode always shows its whole word before the arrow.
void SystemSettingUi::placeFollowers()
{
    QLabel* mode = ui->lbCurrButtonAdapt;
    mode->ensurePolished();
    const int modeWidth = mode->fontMetrics().horizontalAdvance(mode->text()) + 2;
    mode->setGeometry(ui->pbButtonAdapt->x() - 5 - modeWidth, mode->y(), modeWidth, mode->height());
    const struct
    {
        QLabel* title;
        QWidget* follower;
        int gap;
        QWidget* right;  // the title and its follower end before it
    } pairs[] = {
        {ui->lbFirmwareVersion, ui->pbFirmwareVersionHelp, 4, ui->pbFirmwareUpgrade},
        {ui->lbButtonAdapt, ui->pbButtonAdaptHelp, 4, mode},
        {ui->lbVirtualBg, ui->lbVirtualBgBeta, 8, ui->pbVirtualBg},
        {ui->lbGlobalHotkeys, ui->pbHotkeysHelp, 4, ui->pbGlobalHotkeys},
        {ui->lbRemoteCtrl, ui->pbRemoteCtrlHelp, 4, ui->pbRemoteCtrl},
    };
    for (const auto& pair : pairs) {
        QLabel* title = pair.title;
        title->ensurePolished();
        const QFontMetrics metrics = title->fontMetrics();
        const int room = pair.right->x() - kFollowerMargin - pair.follower->width() - pair.gap - title->x();
        const bool wrap = metrics.horizontalAdvance(title->text()) + 2 > room;
        const QRect text = wrap ? metrics.boundingRect(QRect(0, 0, room, kRowHeight), Qt::TextWordWrap, title->text())
                                : QRect(0, 0, metrics.horizontalAdvance(title->text()), kTitleHeight);
        // Grown or shrunk about its middle, which stays level with the follower's.
        const int middle = title->y() + title->height() / 2;
        const int height = qMax(kTitleHeight, text.height());
        title->setWordWrap(wrap);
        title->setGeometry(title->x(), middle - height / 2, text.width() + 2, height);
        pair.follower->move(title->x() + title->width() + pair.gap,
                            title->y() + (title->height() - pair.follower->height()) / 2);
    }
}

void SystemSettingUi::adjustDevAutoSleepWidgetHeight()
{
    ui->wDevAutoSleep->setFixedHeight(autoSleepOn ? kAutoSleepOpenHeight : kRowHeight);
    for (QWidget* part : {static_cast<QWidget*>(ui->lbDevAutoSleepInfo), static_cast<QWidget*>(ui->lbDevAutoSleepInfo2),
                          static_cast<QWidget*>(ui->cbDevAutoSleep), static_cast<QWidget*>(ui->line)})
        part->setVisible(autoSleepOn);
}

// The page as high as its shown rows, up to the height from which they scroll.
void SystemSettingUi::setMaxHeight()
{
    if (!isVisible())
        return;
    int sum = 0;
    for (QWidget* row :
         ui->scrollAreaWidgetContents->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (row->isVisibleTo(ui->scrollAreaWidgetContents))
            sum += row->height() + 1;
    }
    setMaximumHeight(sum - 1);
    ui->scrollAreaWidgetContents->setMaximumHeight(sum - 1);
    // A screen lower than that lets the rows scroll from its own height.
    const QRect area = availableScreenArea(frameGeometry().center());
    const int frame = frameGeometry().height() - height();
    const int scrollFrom = area.isValid() ? qMin(kScrollFrom, area.height() - frame) : kScrollFrom;
    if (sum >= scrollFrom) {
        ui->scrollArea->setMinimumHeight(scrollFrom);
        setMinimumHeight(scrollFrom);
    } else {
        setMinimumHeight(sum - 1);
        ui->scrollArea->setMinimumHeight(sum - 1);
        resize(width(), sum - 1);
    }
    keepOnScreen(this, anchorWindow());
}

// The styled widgets of the camera rows and their looks.
void SystemSettingUi::applyLook(bool normal)
{
    const struct
    {
        QWidget* widget;
        SettingStyle::Kind kind;
    } styled[] = {
        {ui->lbDevAutoSleep, SettingStyle::TitleLabel},        {ui->lbButtonAdapt, SettingStyle::TitleLabel},
        {ui->lbNoiseCancellation, SettingStyle::TitleLabel},   {ui->lbVirtualBg, SettingStyle::TitleLabel},
        {ui->lbDevAutoSleepInfo, SettingStyle::InfoLabel},     {ui->lbDevAutoSleepInfo2, SettingStyle::InfoLabel},
        {ui->lbCurrButtonAdapt, SettingStyle::InfoLabel},      {ui->cbDevAutoSleep, SettingStyle::ComboBox},
        {ui->pbFirmwareUpgrade, SettingStyle::UpgradeButton},
        {ui->pbCameraSettings, SettingStyle::CameraSettingButton},
    };
    for (const auto& entry : styled)
        entry.widget->setStyleSheet(SettingStyle::style(entry.kind, normal));
    ui->cbDevAutoSleep->setEnabled(normal);
    setIcon(ui->pbButtonAdapt, normal ? kArrowOn : kArrowOff);
}

// The no-camera look: greyed, the camera switches in their own picture and
// every camera button deaf until setDevState(true).
void SystemSettingUi::setDisplayState(bool hasCamera)
{
    applyLook(hasCamera);
    ui->lbFirmwareVersion->setStyleSheet(SettingStyle::style(SettingStyle::TitleLabel, hasCamera));
    if (hasCamera)
        return;
    for (QPushButton* button : {ui->pbDevAutoSleep, ui->pbNoiseCancellation, ui->pbVirtualBg})
        setIcon(button, kSwitchNoCamera);
    adjustDevAutoSleepWidgetHeight();
    ui->pbFirmwareUpgrade->hide();
    for (QWidget* button : {ui->pbFirmwareUpgrade, ui->pbDevAutoSleep, ui->pbButtonAdapt, ui->pbNoiseCancellation,
                            ui->pbVirtualBg, ui->pbCameraSettings})
        button->blockSignals(true);
    if (camSettings && camSettings->isVisible()) {
        camSettings->hide();
        camSettingsOpen = false;
    }
    ui->wButtonAdapt->hide();
    ui->wVirtualBg->hide();
    setMaxHeight();
    moreUi->setDisplayState(false);
}

void SystemSettingUi::setDevState(bool running)
{
    devRunning = running;
    ui->lbFirmwareVersion->setStyleSheet(SettingStyle::style(SettingStyle::TitleLabel, true));
    applyLook(running);
    for (QWidget* button : {static_cast<QWidget*>(ui->pbFirmwareUpgrade), static_cast<QWidget*>(ui->pbDevAutoSleep),
                            static_cast<QWidget*>(ui->pbButtonAdapt), static_cast<QWidget*>(ui->pbNoiseCancellation),
                            static_cast<QWidget*>(ui->pbVirtualBg), static_cast<QWidget*>(ui->pbCameraSettings)}) {
        button->setEnabled(running);
        if (running)
            button->blockSignals(false);
    }
    if (!running) {
        if (camSettings && camSettings->isVisible()) {
            camSettings->hide();
            camSettingsOpen = false;
        }
        if (!virtualBgSwitch)
            ui->wButtonAdapt->hide();
        setMaxHeight();
    }
    const QSharedPointer<UvcDevice> device = running ? nullptr : lookUp();
    moreUi->setDisplayState(running, device && device->waitsForUpgrade());
}

QWidget* SystemSettingUi::popupOf(QObject* row) const
{
    if (row == ui->wLanguage)
        return languageUi;
    if (row == ui->wMore)
        return moreUi;
    if (row == ui->wButtonAdapt)
        return buttonModeUi;
    return nullptr;
}

void SystemSettingUi::hideOtherPopups(QWidget* keep)
{
    for (QWidget* page : {static_cast<QWidget*>(buttonModeUi), static_cast<QWidget*>(moreUi),
                          static_cast<QWidget*>(languageUi)}) {
        if (page && page != keep)
            page->hide();
    }
}

// Beside the row, top level with the row's top, or upwards, bottom level
// with the row's bottom, when it would leave the screen below: right of the
// page, else left of it; on a screen with room for neither, over the page
// just below the row (else just above it), so that the row stays in sight
// and the pointer goes straight from the one into the other. Always whole on
// the screen.
void SystemSettingUi::showWidget(QWidget* popup, QWidget* row, bool immediate)
{
    const QRect line(row->mapToGlobal(QPoint(0, 0)), row->size());
    const QRect available = availableScreenArea(line.topLeft());
    QRect place(QPoint(line.right() - kPopupOverlap, line.top()), popup->size());
    if (place.bottom() > available.bottom())
        place.moveBottom(line.bottom());
    if (place.right() > available.right())
        place.moveRight(line.left() + kPopupOverlap);
    if (place.left() < available.left()) {
        place.moveRight(line.right());
        place.moveTop(line.bottom() + 1);
        if (place.bottom() > available.bottom())
            place.moveBottom(line.top() - 1);
    }
    popup->setParent(row, Qt::Window | Qt::FramelessWindowHint);
    popup->move(keptOnScreen(place));
    if (immediate) {
        popup->show();
        return;
    }
    const QPointer<QWidget> guarded(popup);
    QTimer::singleShot(kPopupDelayMs, this, [guarded, row] {
        if (guarded && row->testAttribute(Qt::WA_UnderMouse))
            guarded->show();
    });
}

void SystemSettingUi::togglePopup(QWidget* popup, QWidget* row)
{
    if (!popup)
        return;
    if (popup->isVisible())
        popup->close();
    else
        showWidget(popup, row, true);
}

void SystemSettingUi::on_pbButtonAdapt_clicked()
{
    togglePopup(buttonModeUi, ui->wButtonAdapt);
}

void SystemSettingUi::on_pbLanguage_clicked()
{
    togglePopup(languageUi, ui->wLanguage);
}

void SystemSettingUi::on_pbForMore_clicked()
{
    togglePopup(moreUi, ui->wMore);
}

bool SystemSettingUi::eventFilter(QObject* watched, QEvent* event)
{
    if (!ui)
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (QWidget* popup = popupOf(watched)) {
        auto* row = static_cast<QWidget*>(watched);
        if (type == QEvent::HoverEnter && popup->isHidden()) {
            if (row != ui->wButtonAdapt || awake())
                showWidget(popup, row, false);
            hideOtherPopups(popup);
        } else if (type == QEvent::HoverLeave) {
            const QPoint last = row->mapToGlobal(static_cast<QHoverEvent*>(event)->oldPosF().toPoint());
            if (distanceOutside(last, popup->frameGeometry()) >= kTowardsPopup)
                popup->hide();
        }
    } else if ((type == QEvent::HoverEnter
                && (watched == ui->wDevAutoSleep || watched == ui->wNoiseCancellation
                    || watched == ui->wCameraSettings))
               || (type == QEvent::Wheel && watched == ui->scrollArea->viewport())) {
        hideSecondMenu();
    }
    return QWidget::eventFilter(watched, event);
}
