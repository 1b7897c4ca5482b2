// The camera setting dialog as a whole: opening and closing, filling from
// the camera, the present and absent looks, and putting the opening values
// back on Cancel.

#include "orlacam/settings/CamSettings.h"

#include "orlacam/settings/CamSettingStyles.h"
#include "orlacam/settings/CamSettingTables.h"
#include "ui_CamSettings.h"
#include "uicomm/ScreenPlacement.h"
#include "uicomm/ThinScrollBar.h"
#include "uicomm/UicommResources.h"
#include "uvc/UvcDevices.h"

#include <QCloseEvent>
#include <QDebug>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <limits>

using vesk::pc::CameraStatus;
using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;
using namespace vesk::pc;

namespace {

int clampToInt(int64_t value)
{
    return int(qBound<int64_t>(std::numeric_limits<int>::min(), value, std::numeric_limits<int>::max()));
}

// A value label's number; the colour temperature is shown in kelvin.
QString numberText(int unit, int value)
{
    return unit == 1 ? QString::number(value) : QString::number(value) + QStringLiteral(" K");
}

// A table position for a camera value; 0 for a value that is no key.
int positionOfKey(const CamSettingTable& table, int64_t key)
{
    return key == clampToInt(key) ? table.positionOf(int(key)) : 0;
}

} // namespace

// Each slider: its widgets, its table, and how its control is read and set.
struct CamSettings::SliderRow
{
    RSlider* Ui::CamSettings::*slider;
    QLabel* Ui::CamSettings::*caption;
    QLabel* Ui::CamSettings::*label;
    const CamSettingTable* table;  // the sliders that may run in table mode
    int unit;                      // camera units per slider step
    int (UvcDevice::*readRange)(UvcDevice::CameraParamRange&);
    // Null where the value is read with its auto control.
    int (*readValue)(UvcDevice&, int&);
    int (*send)(UvcDevice&, int);
};

const CamSettings::SliderRow& CamSettings::sliderRow(SliderId id)
{
    using Ui = Ui::CamSettings;
    static const SliderRow rows[kSliderCount] = {
        {&Ui::slManualFocus, &Ui::lbManualFocus, &Ui::lbManualFocusValue, nullptr, 1,
         &UvcDevice::uvcFocusRangeAbsGet,
         nullptr,
         [](UvcDevice& d, int v) { return d.uvcFocusSet(false, v); }},
        {&Ui::slExposureCompensate, &Ui::lbExposureCompensate, &Ui::lbExposureCompensateValue, &kCompensationTable, 1,
         &UvcDevice::uvcBacklightCompensationControlRangeGet,
         [](UvcDevice& d, int& v) { bool unused; return d.uvcBacklightCompensationControlGet(unused, v); },
         [](UvcDevice& d, int v) { return d.uvcBacklightCompensationControlSet(false, v); }},
        {&Ui::slShutter, &Ui::lbShutter, &Ui::lbShutterValue, &kShutterTable, 1,
         &UvcDevice::uvcExposureRangeAbsGet,
         nullptr,
         [](UvcDevice& d, int v) { return d.uvcExposureSet(false, v); }},
        {&Ui::slISO, &Ui::lbISO, &Ui::lbISOVaule, &kIsoTable, 1,
         &UvcDevice::uvcGainControlRangeGet,
         [](UvcDevice& d, int& v) { bool unused; return d.uvcGainControlGet(unused, v); },
         [](UvcDevice& d, int v) { return d.uvcGainControlSet(false, v); }},
        {&Ui::slColorTemperature, &Ui::lbColorTemperature, &Ui::lbColorTemperatureValue, nullptr, 100,
         &UvcDevice::uvcWhiteBalanceColorTemperatureControlRangeGet,
         nullptr,
         [](UvcDevice& d, int v) { return d.uvcWhiteBalanceTemperatureControlSet(false, v); }},
        {&Ui::slContrast, &Ui::lbConstrast, &Ui::lbContrastValue, nullptr, 1,
         &UvcDevice::uvcContrastControlRangeGet,
         [](UvcDevice& d, int& v) { bool unused; return d.uvcContrastControlGet(unused, v); },
         [](UvcDevice& d, int v) { return d.uvcContrastControlSet(v); }},
        {&Ui::slSaturation, &Ui::lbSaturation, &Ui::lbSaturationValue, nullptr, 1,
         &UvcDevice::uvcSaturationControlRangeGet,
         [](UvcDevice& d, int& v) { return d.uvcSaturationControlGet(v); },
         [](UvcDevice& d, int v) { return d.uvcSaturationControlSet(v); }},
        {&Ui::slSharpness, &Ui::lbSharpness, &Ui::lbSharpnessValue, nullptr, 1,
         &UvcDevice::uvcSharpnessControlRangeGet,
         [](UvcDevice& d, int& v) { return d.uvcSharpnessControlGet(v); },
         [](UvcDevice& d, int v) { return d.uvcSharpnessControlSet(v); }},
        {&Ui::slHue, &Ui::lbHue, &Ui::lbHueValue, nullptr, 1,
         &UvcDevice::uvcHueControlRangeGet,
         [](UvcDevice& d, int& v) { bool unused; return d.uvcHueControlGet(unused, v); },
         [](UvcDevice& d, int v) { return d.uvcHueControlSet(v); }},
    };
    return rows[id];
}

CamSettings::CamSettings(QString sn, QWidget* parent) : QWidget(parent), ui(new Ui::CamSettings)
{
    initUicommResources();
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground, true);
    // A window of its own even when a parent owns it.
    setWindowFlags((windowFlags() | Qt::Window)
                   & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    setWindowModality(Qt::ApplicationModal);
    ui->lbManualFocusValue->hide();
    ui->wSections->setAttribute(Qt::WA_StyledBackground, true);
    ui->saSections->verticalScrollBar()->setStyleSheet(QLatin1String(kThinScrollBarStyle));
    for (QPushButton* reset : {ui->pbExposureReset, ui->pbWhiteBalanceReset, ui->pbImageSettingsReset})
        reset->setIcon(QIcon(QStringLiteral(":/source/uicomm/icon/reset.svg")));
    sn_ = std::move(sn);
    for (int id = 0; id < kSliderCount; ++id) {
        heldBack_[id].setSingleShot(true);
        connect(&heldBack_[id], &QTimer::timeout, this, [this, id] { sendHeldBackValue(SliderId(id)); });
    }
    // The registry announces departures from its own thread.
    connect(&UvcDevices::get(), &UvcDevices::devChanged, this, &CamSettings::onDevChanged,
            Qt::QueuedConnection);
}

CamSettings::~CamSettings()
{
    if (isVisible())
        close();
    delete ui;
}

void CamSettings::open(const QWidget* anchor)
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    initUi();
    QWidget::show();
    fitWidth();
    placeWindow(this, anchor);
}

void CamSettings::show()
{
    initUi();
    QWidget::show();
}

void CamSettings::setCurrentUvcDevSn(const QString& sn)
{
    if (sn == sn_)
        return;
    flushHeldBack();  // still for the camera it was meant for
    sn_ = sn;
    if (isVisible())
        initUi();
}

void CamSettings::closeEvent(QCloseEvent* event)
{
    on_pbCancel_clicked();
    event->accept();
}

void CamSettings::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        if (isVisible())
            fitWidth();
    }
    QWidget::changeEvent(event);
}

void CamSettings::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        on_pbCancel_clicked();
    else
        QWidget::keyPressEvent(event);
}

// As wide as the sections need in the present language, with room for the
// scroll bar they show on a screen lower than the dialog.
void CamSettings::fitWidth()
{
    const int needed =
        ui->wSections->minimumSizeHint().width() + ui->saSections->verticalScrollBar()->sizeHint().width();
    setMinimumWidth(qBound(minimumWidth(), needed, maximumWidth()));
    resize(minimumWidth(), height());
}

CamSettings::Device CamSettings::camera() const
{
    return sn_.isEmpty() ? Device() : UvcDevices::get().getDevBySn(sn_);
}

void CamSettings::onDevChanged(const QByteArray& sn, bool present)
{
    if (!present && QString::fromLatin1(sn) == sn_ && isVisible()) {
        qInfo() << "Camera left, the camera setting dialog ends:" << sn_;
        on_pbCancel_clicked();
    }
}

void CamSettings::on_pbCancel_clicked()
{
    for (QTimer& timer : heldBack_)
        timer.stop();  // nothing may overtake the opening values
    if (const Device device = camera())
        restoreOpeningValues(*device);
    finish();
}

void CamSettings::on_pbDone_clicked()
{
    flushHeldBack();
    finish();
}

void CamSettings::finish()
{
    hide();
    emit ended();
}

// --- Filling ---

void CamSettings::initUi()
{
    flushHeldBack();
    forgetCamera();
    const Device device = camera();
    if (!device) {
        enableUI(false);
        return;
    }
    enableUI(true);
    fillStatus(*device);
    fillFocus(*device);
    fillPlainSlider(*device, Compensation);
    fillPlainSlider(*device, Iso);
    fillExposure(*device);
    fillWhiteBalance(*device);
    for (SliderId id : {Contrast, Saturation, Sharpness, Hue})
        fillPlainSlider(*device, id);
    showUnreadControls();
}

// Nothing of an earlier fill may be put back or reset to on this camera.
void CamSettings::forgetCamera()
{
    initHdr_.reset();
    initAutoFocus_.reset();
    initAutoExposure_.reset();
    initAutoWhiteBalance_.reset();
    initFaceFocus_.reset();
    initFaceAe_.reset();
    initAntiFlicker_.reset();
    for (int id = 0; id < kSliderCount; ++id) {
        initial_[id].reset();
        default_[id].reset();
        rangeRead_[id] = false;
    }
    exposureResetKnown_ = false;
    whiteBalanceResetKnown_ = false;
}

// Each state from where the camera's family reports it; one the family does
// not report starts off and is not put back.
void CamSettings::fillStatus(UvcDevice& device)
{
    CameraStatus status;
    if (!device.getCameraStatus(status)) {
        qWarning() << "Status block unread; HDR, face modes and anti-flicker keep their states";
        return;
    }
    const int type = device.getProductType();
    const auto read = [&status, type](CameraStatus::Field field, int& current, std::optional<int>& initial) {
        const bool reported = CameraStatus::hasField(field, type);
        current = status.field(field, type);
        initial = reported ? std::optional<int>(current) : std::nullopt;
    };
    int hdr = 0;
    std::optional<int> initHdr;
    read(CameraStatus::Field::Hdr, hdr, initHdr);
    read(CameraStatus::Field::FaceFocus, curFaceFocus_, initFaceFocus_);
    read(CameraStatus::Field::FaceAe, curFaceAe_, initFaceAe_);
    read(CameraStatus::Field::AntiFlicker, curAntiFlicker_, initAntiFlicker_);
    curHdr_ = hdr != 0;
    initHdr_ = initHdr ? std::optional<bool>(curHdr_) : std::nullopt;
    setSwitchIcon(ui->pbHDR, curHdr_);
}

void CamSettings::fillFocus(UvcDevice& device)
{
    fillRange(device, Focus);
    bool autoFocus = false;
    int value = 0;
    if (device.uvcFocusGet(autoFocus, value) != 0)
        return;
    initAutoFocus_ = curAutoFocus_ = autoFocus;
    initial_[Focus] = value;
    putCameraValue(Focus, value);
    setSwitchIcon(ui->pbAutoFocus, autoFocus);
    ui->swFocus->setCurrentIndex(autoFocus ? 0 : 1);
    if (autoFocus)
        setModeLook(ui->pbFocusModeGlobal, ui->pbFocusModeFace, curFaceFocus_ == 1);
}

void CamSettings::fillExposure(UvcDevice& device)
{
    if (fillRange(device, Shutter))
        exposureResetKnown_ = true;
    bool autoExposure = false;
    int time = 0;
    if (device.uvcExposureGet(autoExposure, time) != 0)
        return;
    initAutoExposure_ = curAutoExposure_ = autoExposure;
    initial_[Shutter] = time;
    putCameraValue(Shutter, time);
    setSwitchIcon(ui->pbAutoExposure, autoExposure);
    ui->swExposure->setCurrentIndex(autoExposure ? 0 : 1);
    setAntiFlicker(autoExposure, curAntiFlicker_);
    setModeLook(ui->pbExposureModeGlobal, ui->pbExposureModeFace, curFaceAe_ != 0);
}

void CamSettings::fillWhiteBalance(UvcDevice& device)
{
    if (fillRange(device, Temperature))
        whiteBalanceResetKnown_ = true;
    bool autoWb = false;
    int temperature = 0;
    if (device.uvcWhiteBalanceTemperatureControlGet(autoWb, temperature) != 0)
        return;
    initAutoWhiteBalance_ = curAutoWhiteBalance_ = autoWb;
    initial_[Temperature] = temperature;
    setSwitchIcon(ui->pbAutoWhiteBalance, autoWb);
    showTemperatureActive(!autoWb);
    putCameraValue(Temperature, temperature);
}

void CamSettings::fillPlainSlider(UvcDevice& device, SliderId id)
{
    fillRange(device, id);
    int value = 0;
    if (sliderRow(id).readValue(device, value) != 0)
        return;
    initial_[id] = value;
    putCameraValue(id, value);
}

// On failure the slider keeps its range, mode and value.
bool CamSettings::fillRange(UvcDevice& device, SliderId id)
{
    UvcDevice::CameraParamRange range;
    if ((device.*sliderRow(id).readRange)(range) != 0)
        return false;
    setSliderRange(id, range);
    default_[id] = clampToInt(range.def);
    rangeRead_[id] = true;
    return true;
}

// A slider whose range the camera would not give is a control it lacks and
// stays disabled. One with a range but no value read (on Linux contrast
// reads fail with the auto control V4L2 lacks) stays usable from its default,
// and Cancel leaves it alone. A switch whose state is unknown is disabled.
void CamSettings::showUnreadControls()
{
    for (int id = 0; id < kSliderCount; ++id) {
        if (!rangeRead_[id]) {
            slider(SliderId(id))->setEnabled(false);
            slider(SliderId(id))->setStyleSheet(kSliderOffStyle);
            (ui->*sliderRow(SliderId(id)).caption)->setStyleSheet(kLabelGreyStyle);
        } else if (!initial_[id]) {
            putCameraValue(SliderId(id), *default_[id]);
        }
    }
    const std::pair<QPushButton*, bool> switches[] = {
        {ui->pbHDR, initHdr_.has_value()},
        {ui->pbAutoFocus, initAutoFocus_.has_value()},
        {ui->pbAutoExposure, initAutoExposure_.has_value()},
        {ui->pbAutoWhiteBalance, initAutoWhiteBalance_.has_value()},
    };
    for (const auto& [button, known] : switches) {
        button->setEnabled(known);
        if (!known)
            setSwitchIcon(button, false);
    }
    ui->pbExposureReset->setEnabled(exposureResetKnown_);
    ui->pbWhiteBalanceReset->setEnabled(whiteBalanceResetKnown_);
}

// --- Looks ---

void CamSettings::enableUI(bool present)
{
    for (QLabel* label : {ui->lbHDR, ui->lbAutoFocus, ui->lbFocusMode, ui->lbManualFocus, ui->lbAutoExposure,
                          ui->lbExposureMode, ui->lbExposureCompensate, ui->lbShutter, ui->lbISO,
                          ui->lbAutoWhiteBalance, ui->lbColorTemperature, ui->lbAntiFlicker, ui->lbConstrast,
                          ui->lbSaturation, ui->lbSharpness, ui->lbHue})
        label->setStyleSheet(present ? kLabelWhiteStyle : kLabelGreyStyle);
    const QString left = present ? kLeftOffStyle : greyedLeftStyle();
    const QString right = present ? rightGreyEdgeStyle() : greyedRightStyle();
    ui->pbFocusModeGlobal->setStyleSheet(left);
    ui->pbExposureModeGlobal->setStyleSheet(left);
    ui->pbFocusModeFace->setStyleSheet(right);
    ui->pbExposureModeFace->setStyleSheet(right);
    ui->pbAntiFlickerOff->setStyleSheet(present ? leftGreyEdgeStyle() : greyedLeftStyle());
    ui->pbAntiFlicker50->setStyleSheet(present ? kMiddleOffStyle : middleGreyRightEdgeStyle());
    ui->pbAntiFlicker60->setStyleSheet(right);
    for (QPushButton* button : {ui->pbHDR, ui->pbAutoFocus, ui->pbAutoExposure, ui->pbAutoWhiteBalance})
        setSwitchIcon(button, present);
    for (int id = 0; id < kSliderCount; ++id) {
        slider(SliderId(id))->setStyleSheet(present ? kSliderOnStyle : kSliderOffStyle);
        slider(SliderId(id))->setEnabled(present);
    }
    for (QPushButton* button : {ui->pbHDR, ui->pbAutoFocus, ui->pbAutoExposure, ui->pbAutoWhiteBalance,
                                ui->pbFocusModeGlobal, ui->pbFocusModeFace, ui->pbExposureModeGlobal,
                                ui->pbExposureModeFace, ui->pbAntiFlickerOff, ui->pbAntiFlicker50,
                                ui->pbAntiFlicker60, ui->pbExposureReset, ui->pbWhiteBalanceReset,
                                ui->pbImageSettingsReset}) {
        button->setEnabled(true);  // an earlier fill may have found a control missing
        button->blockSignals(!present);
    }
}

// Anti-flicker can be chosen only while auto exposure is on.
void CamSettings::setAntiFlicker(bool autoExposure, int mode)
{
    ui->lbAntiFlicker->setStyleSheet(autoExposure ? kLabelWhiteStyle : kLabelGreyStyle);
    QString looks[3];
    if (!autoExposure)
        looks[0] = greyedLeftStyle(), looks[1] = middleGreyRightEdgeStyle(), looks[2] = greyedRightStyle();
    else if (mode == CameraStatus::AntiFlicker60Hz)
        looks[0] = leftGreyEdgeStyle(), looks[1] = kMiddleOffStyle, looks[2] = kRightOnStyle;
    else if (mode == CameraStatus::AntiFlicker50Hz)
        looks[0] = kLeftOffStyle, looks[1] = kMiddleOnStyle, looks[2] = kRightOffStyle;
    else
        looks[0] = kLeftOnStyle, looks[1] = kMiddleOffStyle, looks[2] = rightGreyEdgeStyle();
    QPushButton* const segments[] = {ui->pbAntiFlickerOff, ui->pbAntiFlicker50, ui->pbAntiFlicker60};
    for (int i = 0; i < 3; ++i) {
        segments[i]->setStyleSheet(looks[i]);
        segments[i]->blockSignals(!autoExposure);
    }
}

void CamSettings::setSwitchIcon(QPushButton* button, bool on)
{
    button->setIcon(QIcon(on ? QStringLiteral(":/source/uicomm/icon/btn_on_n_orla@3x")
                             : QStringLiteral(":/source/uicomm/icon/btn_off_n_orla@3x")));
}

void CamSettings::setModeLook(QPushButton* global, QPushButton* face, bool faceSelected)
{
    global->setStyleSheet(faceSelected ? kLeftOffStyle : kLeftOnStyle);
    face->setStyleSheet(faceSelected ? kRightOnStyle : kRightOffStyle);
}

// --- Cancel ---

// Writes back each value that the last fill read and the dialog has changed
// since (white balance even unchanged), in the camera's order: modes before
// the values they govern.
void CamSettings::restoreOpeningValues(UvcDevice& device)
{
    if (initHdr_ && *initHdr_ != curHdr_)
        device.cameraSetHdr(*initHdr_);

    if (initAutoFocus_) {
        const int focus = *initial_[Focus];
        if (*initAutoFocus_ && !curAutoFocus_)
            device.uvcFocusSet(true, focus);
        else if (!*initAutoFocus_ && (curAutoFocus_ || changedSinceOpening(Focus)))
            device.uvcFocusSet(false, focus);
    }
    if (initFaceFocus_ && *initFaceFocus_ != curFaceFocus_)
        device.cameraSetFaceFocus(*initFaceFocus_ != 0);

    if (initAutoExposure_) {
        const int time = *initial_[Shutter];
        if (*initAutoExposure_ && !curAutoExposure_)
            device.uvcExposureSet(true, time);
        else if (!*initAutoExposure_ && (curAutoExposure_ || changedSinceOpening(Shutter)))
            device.uvcExposureSet(false, time);
    }
    if (initFaceAe_ && *initFaceAe_ != curFaceAe_)
        device.cameraSetFaceAE(*initFaceAe_);
    if (changedSinceOpening(Compensation))
        device.uvcBacklightCompensationControlSet(false, *initial_[Compensation]);
    if (changedSinceOpening(Iso))
        device.uvcGainControlSet(false, *initial_[Iso]);

    // White balance goes back whether or not it changed.
    if (initAutoWhiteBalance_)
        device.uvcWhiteBalanceTemperatureControlSet(*initAutoWhiteBalance_, *initial_[Temperature]);

    if (initAntiFlicker_ && *initAntiFlicker_ != curAntiFlicker_)
        device.cameraSetAntiFlicker(*initAntiFlicker_);

    for (SliderId id : {Contrast, Saturation, Sharpness, Hue}) {
        if (changedSinceOpening(id))
            sliderRow(id).send(device, *initial_[id]);
    }
}

// --- Sliders ---

RSlider* CamSettings::slider(SliderId id) const
{
    return ui->*sliderRow(id).slider;
}

QLabel* CamSettings::valueLabel(SliderId id) const
{
    return ui->*sliderRow(id).label;
}

// The camera's 64-bit range is held inside the slider's int range first.
void CamSettings::setSliderRange(SliderId id, const UvcDevice::CameraParamRange& range)
{
    RSlider* target = slider(id);
    const QSignalBlocker blocker(target);
    const SliderRow& row = sliderRow(id);
    if (row.table) {
        const int low = positionOfKey(*row.table, range.min);
        const int high = positionOfKey(*row.table, range.max);
        tableMode_[id] = high > low;
        if (tableMode_[id]) {
            target->setRange(low, high);
            target->setSingleStep(1);
            target->setPageStep(1);
            return;
        }
    }
    const int64_t low = clampToInt(range.min);
    const int64_t high = clampToInt(range.max);
    const int step = clampToInt(range.step / row.unit);
    const int page = int((high - low) / (10 * row.unit));
    target->setRange(int(low / row.unit), int(high / row.unit));
    target->setSingleStep(step);
    target->setPageStep(page != 0 ? page : step);
}

void CamSettings::putCameraValue(SliderId id, int value)
{
    RSlider* target = slider(id);
    const QSignalBlocker blocker(target);
    const SliderRow& row = sliderRow(id);
    if (tableMode_[id]) {
        target->setValue(positionOfKey(*row.table, value));
        valueLabel(id)->setText(row.table->at(target->value()).text);
        return;
    }
    target->setValue(value / row.unit);
    valueLabel(id)->setText(numberText(row.unit, value));
}

int CamSettings::cameraValueAt(SliderId id, int position) const
{
    const SliderRow& row = sliderRow(id);
    return tableMode_[id] ? row.table->at(position).key : clampToInt(int64_t(position) * row.unit);
}

int CamSettings::cameraValue(SliderId id) const
{
    return cameraValueAt(id, slider(id)->value());
}

QString CamSettings::valueText(SliderId id, int position) const
{
    const SliderRow& row = sliderRow(id);
    if (tableMode_[id])
        return row.table->at(position).text;
    return numberText(row.unit, cameraValueAt(id, position));
}

bool CamSettings::changedSinceOpening(SliderId id) const
{
    return initial_[id] && cameraValue(id) != *initial_[id];
}

void CamSettings::sendSlider(UvcDevice& device, SliderId id, int position)
{
    sliderRow(id).send(device, cameraValueAt(id, position));
}
