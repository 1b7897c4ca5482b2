#pragma once

#include "cloud/ActionType.h"
#include "uvc/UvcDevice.h"

#include <QSharedPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class RSlider;

namespace Ui {
class CamSettings;
}

// The camera setting dialog: HDR, focus, exposure, anti-flicker, white
// balance and image settings of one camera, each change sent at once. Done
// keeps the changes; Cancel, Escape, closing the window and the camera's
// departure end it, the first three putting back what was read when it was
// filled. It is bound to a serial number and looks the camera up at every
// action, never keeping it. The controls' slots are in _controls.cpp.
class CamSettings : public QWidget
{
    Q_OBJECT

public:
    explicit CamSettings(QString sn, QWidget* parent = nullptr);
    ~CamSettings() override;

    // Fills and shows the dialog beside or over anchor (the main window) and
    // returns at once; ended follows when Cancel, Done, closing or the
    // camera's departure ends it. A visible dialog is only raised.
    void open(const QWidget* anchor = nullptr);
    void setCurrentUvcDevSn(const QString& sn);

signals:
    void ended();

public slots:
    // Fills the dialog again and shows it, without waiting.
    void show();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_pbCancel_clicked();
    void on_pbDone_clicked();

    void on_pbHDR_clicked();
    void on_pbAutoFocus_clicked();
    void on_pbAutoExposure_clicked();
    void on_pbAutoWhiteBalance_clicked();
    void on_pbFocusModeGlobal_clicked() { setFaceFocus(false); }
    void on_pbFocusModeFace_clicked() { setFaceFocus(true); }
    void on_pbExposureModeGlobal_clicked() { setFaceAe(false); }
    void on_pbExposureModeFace_clicked() { setFaceAe(true); }
    void on_pbAntiFlickerOff_clicked() { chooseAntiFlicker(0); }
    void on_pbAntiFlicker50_clicked() { chooseAntiFlicker(1); }
    void on_pbAntiFlicker60_clicked() { chooseAntiFlicker(2); }
    void on_pbExposureReset_clicked();
    void on_pbWhiteBalanceReset_clicked();
    void on_pbImageSettingsReset_clicked();

    // Every slider's four slots lead to the same four handlers.
    void on_slManualFocus_sliderPressed() { sliderPressedOrReleased(Focus); }
    void on_slManualFocus_sliderReleased() { sliderPressedOrReleased(Focus); }
    void on_slManualFocus_sliderMoved(int v) { sliderMoved(Focus, v); }
    void on_slManualFocus_valueChanged(int v) { sliderValueChanged(Focus, v); }
    void on_slExposureCompensate_sliderPressed() { sliderPressedOrReleased(Compensation); }
    void on_slExposureCompensate_sliderReleased() { sliderPressedOrReleased(Compensation); }
    void on_slExposureCompensate_sliderMoved(int v) { sliderMoved(Compensation, v); }
    void on_slExposureCompensate_valueChanged(int v) { sliderValueChanged(Compensation, v); }
    void on_slShutter_sliderPressed() { sliderPressedOrReleased(Shutter); }
    void on_slShutter_sliderReleased() { sliderPressedOrReleased(Shutter); }
    void on_slShutter_sliderMoved(int v) { sliderMoved(Shutter, v); }
    void on_slShutter_valueChanged(int v) { sliderValueChanged(Shutter, v); }
    void on_slISO_sliderPressed() { sliderPressedOrReleased(Iso); }
    void on_slISO_sliderReleased() { sliderPressedOrReleased(Iso); }
    void on_slISO_sliderMoved(int v) { sliderMoved(Iso, v); }
    void on_slISO_valueChanged(int v) { sliderValueChanged(Iso, v); }
    void on_slColorTemperature_sliderPressed() { sliderPressedOrReleased(Temperature); }
    void on_slColorTemperature_sliderReleased() { sliderPressedOrReleased(Temperature); }
    void on_slColorTemperature_sliderMoved(int v) { sliderMoved(Temperature, v); }
    void on_slColorTemperature_valueChanged(int v) { sliderValueChanged(Temperature, v); }
    void on_slContrast_sliderPressed() { sliderPressedOrReleased(Contrast); }
    void on_slContrast_sliderReleased() { sliderPressedOrReleased(Contrast); }
    void on_slContrast_sliderMoved(int v) { sliderMoved(Contrast, v); }
    void on_slContrast_valueChanged(int v) { sliderValueChanged(Contrast, v); }
    void on_slSaturation_sliderPressed() { sliderPressedOrReleased(Saturation); }
    void on_slSaturation_sliderReleased() { sliderPressedOrReleased(Saturation); }
    void on_slSaturation_sliderMoved(int v) { sliderMoved(Saturation, v); }
    void on_slSaturation_valueChanged(int v) { sliderValueChanged(Saturation, v); }
    void on_slSharpness_sliderPressed() { sliderPressedOrReleased(Sharpness); }
    void on_slSharpness_sliderReleased() { sliderPressedOrReleased(Sharpness); }
    void on_slSharpness_sliderMoved(int v) { sliderMoved(Sharpness, v); }
    void on_slSharpness_valueChanged(int v) { sliderValueChanged(Sharpness, v); }
    void on_slHue_sliderPressed() { sliderPressedOrReleased(Hue); }
    void on_slHue_sliderReleased() { sliderPressedOrReleased(Hue); }
    void on_slHue_sliderMoved(int v) { sliderMoved(Hue, v); }
    void on_slHue_valueChanged(int v) { sliderValueChanged(Hue, v); }

    void onDevChanged(const QByteArray& sn, bool present);

private:
    enum SliderId { Focus, Compensation, Shutter, Iso, Temperature, Contrast, Saturation, Sharpness, Hue };
    static constexpr int kSliderCount = Hue + 1;
    struct SliderRow;
    static const SliderRow& sliderRow(SliderId id);

    using Device = QSharedPointer<vesk::pc::UvcDevice>;
    Device camera() const;

    // Filling (CamSettings.cpp).
    void initUi();
    void forgetCamera();
    void fillStatus(vesk::pc::UvcDevice& device);
    void fillFocus(vesk::pc::UvcDevice& device);
    void fillExposure(vesk::pc::UvcDevice& device);
    void fillWhiteBalance(vesk::pc::UvcDevice& device);
    void fillPlainSlider(vesk::pc::UvcDevice& device, SliderId id);
    bool fillRange(vesk::pc::UvcDevice& device, SliderId id);
    void showUnreadControls();
    void enableUI(bool present);
    void setAntiFlicker(bool autoExposure, int mode);
    static void setSwitchIcon(QPushButton* button, bool on);
    // The Global/Face pair with one of them selected.
    static void setModeLook(QPushButton* global, QPushButton* face, bool faceSelected);
    void restoreOpeningValues(vesk::pc::UvcDevice& device);
    void fitWidth();
    void finish();

    // Sliders: modes and the two conversions.
    RSlider* slider(SliderId id) const;
    QLabel* valueLabel(SliderId id) const;
    void setSliderRange(SliderId id, const vesk::pc::UvcDevice::CameraParamRange& range);
    void putCameraValue(SliderId id, int value);
    int cameraValueAt(SliderId id, int position) const;
    int cameraValue(SliderId id) const;
    QString valueText(SliderId id, int position) const;
    bool changedSinceOpening(SliderId id) const;

    // Controls (CamSettings_controls.cpp).
    void setFaceFocus(bool face);
    void setFaceAe(bool face);
    void chooseAntiFlicker(int mode);
    void showTemperatureActive(bool active);
    void sliderPressedOrReleased(SliderId id);
    void sliderMoved(SliderId id, int value);
    void sliderValueChanged(SliderId id, int value);
    void sendHeldBackValue(SliderId id);
    void flushHeldBack();
    void sendSlider(vesk::pc::UvcDevice& device, SliderId id, int position);
    void report(vesk::pc::ActionType action, const QVariant& value);

    Ui::CamSettings* ui = nullptr;
    QString sn_;

    bool curHdr_ = false;
    bool curAutoFocus_ = false;
    bool curAutoExposure_ = false;
    bool curAutoWhiteBalance_ = false;
    int curFaceFocus_ = 0;
    int curFaceAe_ = 0;
    int curAntiFlicker_ = 0;
    bool tableMode_[kSliderCount] = {};

    // The opening snapshot: only what the last fill read from the bound
    // camera, so Cancel never writes a guess or another camera's value.
    // initial_ holds the focus, compensation, exposure time, gain, colour
    // temperature and image values.
    std::optional<bool> initHdr_;
    std::optional<bool> initAutoFocus_;
    std::optional<bool> initAutoExposure_;
    std::optional<bool> initAutoWhiteBalance_;
    std::optional<int> initFaceFocus_;
    std::optional<int> initFaceAe_;
    std::optional<int> initAntiFlicker_;
    std::optional<int> initial_[kSliderCount];
    bool rangeRead_[kSliderCount] = {};

    // Reset targets, known once the ranges were read: auto exposure with
    // exposure mode Face, auto white balance, and the ranges' defaults.
    bool exposureResetKnown_ = false;
    bool whiteBalanceResetKnown_ = false;
    std::optional<int> default_[kSliderCount];

    // A slider change the 50 ms throttle held back is sent when it ends;
    // the last-send times are shared by every dialog of the process.
    QTimer heldBack_[kSliderCount];
    static qint64 lastSendMs_[kSliderCount];
};
