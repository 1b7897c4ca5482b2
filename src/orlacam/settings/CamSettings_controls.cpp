// What each control of the camera setting dialog does: switches, Global/Face
// and anti-flicker segments, resets and sliders. Each looks the camera up
// first and does nothing without one; six report the user's action.

#include "orlacam/settings/CamSettings.h"

#include "cloud/ActionReport.h"
#include "orlacam/settings/CamSettingStyles.h"
#include "ui_CamSettings.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QSignalBlocker>

using namespace vesk::pc;

namespace {

constexpr int kHdrLockMs = 2500;
// A slider sends when more than this has passed since its last send.
constexpr qint64 kSliderThrottleMs = 50;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

qint64 CamSettings::lastSendMs_[CamSettings::kSliderCount] = {};

void CamSettings::report(ActionType action, const QVariant& value)
{
    devActionToServer(sn_, action, SourceMouse, QString(), value);
}

void CamSettings::on_pbHDR_clicked()
{
    const Device device = camera();
    if (!device)
        return;
    curHdr_ = !curHdr_;
    setSwitchIcon(ui->pbHDR, curHdr_);
    device->cameraSetHdr(curHdr_);
    report(ActionSetHdrEnabled, curHdr_);
    // The camera needs a while to switch; clicks meanwhile do nothing.
    ui->pbHDR->blockSignals(true);
    QTimer::singleShot(kHdrLockMs, Qt::CoarseTimer, this, [this] { ui->pbHDR->blockSignals(false); });
}

void CamSettings::on_pbAutoFocus_clicked()
{
    const Device device = camera();
    if (!device)
        return;
    curAutoFocus_ = !curAutoFocus_;
    setSwitchIcon(ui->pbAutoFocus, curAutoFocus_);
    ui->swFocus->setCurrentIndex(curAutoFocus_ ? 0 : 1);
    // Without the status block, or a family that does not report these, the
    // segments show the dialog's own face focus and the slider stays put.
    CameraStatus status;
    const int type = device->getProductType();
    const bool statusRead = device->getCameraStatus(status);
    const auto reported = [&](CameraStatus::Field field) {
        return statusRead && CameraStatus::hasField(field, type);
    };
    if (curAutoFocus_) {
        setModeLook(ui->pbFocusModeGlobal, ui->pbFocusModeFace,
                    reported(CameraStatus::Field::FaceFocus) ? status.field(CameraStatus::Field::FaceFocus, type) != 0
                                                             : curFaceFocus_ != 0);
    } else if (reported(CameraStatus::Field::ManualFocus)) {
        const QSignalBlocker blocker(ui->slManualFocus);
        ui->slManualFocus->setValue(status.field(CameraStatus::Field::ManualFocus, type));
        ui->lbManualFocusValue->setText(QString::number(ui->slManualFocus->value()));
    }
    device->uvcFocusSet(curAutoFocus_, ui->slManualFocus->value());
    report(ActionSetAutoFocusEnabled, curAutoFocus_);
}

void CamSettings::setFaceFocus(bool face)
{
    const Device device = camera();
    if (!device)
        return;
    setModeLook(ui->pbFocusModeGlobal, ui->pbFocusModeFace, face);
    device->cameraSetFaceFocus(face);
    curFaceFocus_ = face ? 1 : 0;
    report(ActionSetFaceFocusEnabled, face);
}

void CamSettings::on_pbAutoExposure_clicked()
{
    const Device device = camera();
    if (!device)
        return;
    curAutoExposure_ = !curAutoExposure_;
    setSwitchIcon(ui->pbAutoExposure, curAutoExposure_);
    ui->swExposure->setCurrentIndex(curAutoExposure_ ? 0 : 1);
    if (curAutoExposure_) {
        device->uvcExposureSet(true, ui->slShutter->value());  // the time is ignored in auto
    } else {
        // Manual exposure starts from what the camera's auto exposure chose.
        int time = cameraValue(Shutter);
        bool unused = false;
        int read = 0;
        if (device->uvcExposureGet(unused, read) == 0)
            time = read;
        int gain = 0;
        const bool gainRead = device->uvcGainControlGet(unused, gain) == 0;
        putCameraValue(Shutter, time);
        if (gainRead)
            putCameraValue(Iso, gain);
        device->uvcExposureSet(false, time);
    }
    setAntiFlicker(curAutoExposure_, curAntiFlicker_);
}

void CamSettings::setFaceAe(bool face)
{
    const Device device = camera();
    if (!device)
        return;
    setModeLook(ui->pbExposureModeGlobal, ui->pbExposureModeFace, face);
    device->cameraSetFaceAE(face ? 1 : 0);
    curFaceAe_ = face ? 1 : 0;
    report(ActionSetFaceAeEnabled, face);
}

// Back to auto exposure in Face mode with the default compensation; not
// before the exposure range of this camera was read.
void CamSettings::on_pbExposureReset_clicked()
{
    const Device device = camera();
    if (!device || !exposureResetKnown_)
        return;
    curAutoExposure_ = true;
    setSwitchIcon(ui->pbAutoExposure, true);
    device->uvcExposureSet(true, default_[Shutter].value_or(0));
    ui->swExposure->setCurrentIndex(0);
    setFaceAe(true);
    if (default_[Compensation] && ui->slExposureCompensate->isEnabled())
        ui->slExposureCompensate->setValue(*default_[Compensation]);  // sends through valueChanged
    setAntiFlicker(true, curAntiFlicker_);
}

void CamSettings::chooseAntiFlicker(int mode)
{
    const Device device = camera();
    if (!device)
        return;
    setAntiFlicker(true, mode);
    device->cameraSetAntiFlicker(mode);
    curAntiFlicker_ = mode;
    report(ActionSetAntiFlickerMode, mode);
}

void CamSettings::showTemperatureActive(bool active)
{
    // A camera without a temperature range keeps the slider off.
    const bool usable = active && rangeRead_[Temperature];
    ui->slColorTemperature->setEnabled(usable);
    ui->slColorTemperature->setStyleSheet(usable ? kSliderOnStyle : kSliderOffStyle);
    ui->lbColorTemperature->setStyleSheet(usable ? kLabelWhiteStyle : kLabelGreyStyle);
}

void CamSettings::on_pbAutoWhiteBalance_clicked()
{
    const Device device = camera();
    if (!device)
        return;
    curAutoWhiteBalance_ = !curAutoWhiteBalance_;
    setSwitchIcon(ui->pbAutoWhiteBalance, curAutoWhiteBalance_);
    showTemperatureActive(!curAutoWhiteBalance_);
    bool unused = false;
    int temperature = 0;
    if (!curAutoWhiteBalance_ && device->uvcWhiteBalanceTemperatureControlGet(unused, temperature) == 0)
        putCameraValue(Temperature, temperature);
    device->uvcWhiteBalanceTemperatureControlSet(curAutoWhiteBalance_, cameraValue(Temperature));
    report(ActionSetAutoWhiteBalanceEnabled, curAutoWhiteBalance_);
}

// Turns auto white balance on (again); the temperature stays.
void CamSettings::on_pbWhiteBalanceReset_clicked()
{
    if (!camera() || !whiteBalanceResetKnown_)
        return;
    curAutoWhiteBalance_ = false;
    on_pbAutoWhiteBalance_clicked();
}

// Each slider that moves sends through its valueChanged handler; one the
// camera would not read stays as it is.
void CamSettings::on_pbImageSettingsReset_clicked()
{
    if (!camera())
        return;
    for (SliderId id : {Contrast, Saturation, Sharpness, Hue}) {
        if (default_[id] && slider(id)->isEnabled())
            slider(id)->setValue(*default_[id]);
    }
}

// A press and a release always send, so the camera ends where the handle does.
void CamSettings::sliderPressedOrReleased(SliderId id)
{
    const Device device = camera();
    if (!device)
        return;
    const int position = slider(id)->sliderPosition();
    valueLabel(id)->setText(valueText(id, position));
    heldBack_[id].stop();
    sendSlider(*device, id, position);
}

void CamSettings::sliderMoved(SliderId id, int value)
{
    valueLabel(id)->setText(valueText(id, value));
}

// At most one send per 50 ms; a change held back is sent when the 50 ms
// are over, so the camera never misses the last one.
void CamSettings::sliderValueChanged(SliderId id, int value)
{
    const Device device = camera();
    if (!device)
        return;
    valueLabel(id)->setText(valueText(id, value));
    const qint64 sinceLast = nowMs() - lastSendMs_[id];
    if (sinceLast > kSliderThrottleMs) {
        lastSendMs_[id] = nowMs();
        heldBack_[id].stop();
        sendSlider(*device, id, value);
    } else if (!heldBack_[id].isActive()) {
        heldBack_[id].start(int(qBound<qint64>(0, kSliderThrottleMs - sinceLast, kSliderThrottleMs)) + 1);
    }
}

void CamSettings::sendHeldBackValue(SliderId id)
{
    const Device device = camera();
    if (!device)
        return;
    lastSendMs_[id] = nowMs();
    sendSlider(*device, id, slider(id)->value());
}

void CamSettings::flushHeldBack()
{
    for (int id = 0; id < kSliderCount; ++id) {
        if (heldBack_[id].isActive()) {
            heldBack_[id].stop();
            sendHeldBackValue(SliderId(id));
        }
    }
}
