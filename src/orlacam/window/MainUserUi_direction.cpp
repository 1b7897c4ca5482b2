// The direction pad and the gimbal: pan/tilt speeds from the pad, the
// reset to the centre, and moves to a stored position.

#include "orlacam/window/MainUserUi.h"

#include "orlacam/window/CloudReports.h"
#include "orlacam/window/DirectionHandler.h"
#include "ui_MainUserUi.h"
#include "uvc/UvcDevices.h"

#include <QDebug>

#include <array>
#include <cmath>
#include <cstdlib>

using vesk::pc::UvcDevice;

namespace {

constexpr int kPadBackground = 180;
constexpr int kPadKnob = 44;
const QRect kPadGeometry(425, 325, 200, 200);
// Speeds travel as hundredths in 16 bits.
constexpr double kMaxGimbalSpeed = 327.0;

// What the camera was last told, for every pad: a value repeated is not sent.
double g_lastVertical = 0.0;
double g_lastHorizontal = 0.0;

} // namespace

void MainUserUi::initDirectionPad()
{
    directionPad_ = new DirectionHandler(kPadGeometry, ui->wDevCtrl);
    directionPad_->setObjectName(QStringLiteral("wDirection"));
    directionPad_->setBgDiameter(kPadBackground);
    directionPad_->setSliderDiameter(kPadKnob);
    directionPad_->show();
    directionPad_->setWidgetState(false);
    connect(directionPad_, &DirectionHandler::ctrlRef, this, &MainUserUi::onGimbalCtrlRef);
}

// Whatever drove the pad until now gives way: an in-window arrow's waiting
// release included.
void MainUserUi::pressDirection(int key)
{
    windowArrow_ = 0;
    arrowStopTimer_.stop();
    directionPad_->dirCtrl(key);
}

void MainUserUi::releaseDirection(int reportStart)
{
    padReportCounter_ = reportStart;
    pressDirection(0);
}

void MainUserUi::onGimbalCtrlRef(double vertical, double horizontal, bool first)
{
    Q_UNUSED(first)
    if (qFuzzyCompare(vertical, g_lastVertical) && qFuzzyCompare(horizontal, g_lastHorizontal))
        return;
    g_lastVertical = vertical;
    g_lastHorizontal = horizontal;
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    if (vertical != 0.0 || horizontal != 0.0) {
        device->uvcPanTiltRelativeControl(horizontal, -vertical);
        return;
    }
    device->uvcPanTiltRelativeControl(0.0, 0.0);
    padReportCounter_ = padReportCounter_ <= 30 ? 1 : padReportCounter_ <= 60 ? 31 : 61;
}

void MainUserUi::on_pbDirectionReset_clicked()
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->uvcPanTiltAbsoluteControl(0, 0);
    vesk::pc::devActionToServer(currSn_, vesk::pc::ActionResetCropArea, actionSource_);
}

// All three axes arrive together: the longest way runs at speed, the others
// slower in proportion. A gimbal already there, or a speed that is none, is
// not moved; the zoom follows either way.
void MainUserUi::onMoveToPrePos(short a, short b, short c, double speed, double zoomRatio)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    int16_t now[3] = {};
    if (!std::isfinite(speed) || speed <= 0.0)
        qWarning() << "Invalid gimbal speed" << speed;
    else if (device->gimbalGetAttitudeInfo(now[0], now[1], now[2]) != 0)
        qWarning() << "Gimbal attitude unknown; not moved";
    else
        moveGimbal(*device, {a, b, c}, {now[0], now[1], now[2]}, qMin(speed, kMaxGimbalSpeed));
    if (std::isfinite(zoomRatio))
        ui->slZoom->setValue(qRound((qBound(1.0, zoomRatio, 2.0) - 1.0) * 100));
}

void MainUserUi::moveGimbal(UvcDevice& device, const std::array<int, 3>& target, const std::array<int, 3>& now,
                            double speed)
{
    int longest = 0;
    for (int i = 0; i < 3; ++i)
        longest = qMax(longest, std::abs(target[i] - now[i]));
    if (longest == 0)
        return;
    double speeds[3];
    for (int i = 0; i < 3; ++i)
        speeds[i] = speed * (target[i] - now[i]) / longest;
    device.gimbalSetSpeedPosition(int16_t(target[0]), int16_t(target[1]), int16_t(target[2]), speeds[0], speeds[1],
                                  speeds[2]);
}
