#pragma once

#include "uvc/AiStatus.h"
#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/UvcCommand.h"

#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// The AI tracker and the gimbal: protocol frames to the AI unit and the
// gimbal on the message port, and the on/off switches on extension-unit
// selectors 3 to 6 on the control port. Each method tests its own guards.
class AiCommands
{
public:
    AiCommands(ControlPort& control, MessagePort& channel, UvcCommand::DeviceState state);

    // Results 0 or -1; getters write their outputs only on full success.
    int aiSetGestureCtrlIndividual(int gesture, bool on);
    int aiSetTrackingMode(int mode);
    // Blocking fills status; GetMethodNonBlock hands the reply to the receiver's
    // method (int, int, int, int, float) later and returns the send result.
    int aiGetAiStatus(AiStatus* status, QSharedPointer<QString> method, QObject* receiver,
                      MessagePort::GetMethod getMethod);
    int aiSetGestureZoomFactor(float factor);
    int aiSetButtonSwitchForKo(bool on);
    int aiGimbalSpeedCtrl(double first, double second);
    int aiSetGimbalBootPos(float first, float second, float third, float fourth);
    int aiGetGimbalBootPos(float& first, float& second, float& third, float& fourth);
    int aiTrgGimbalBootPos();
    int aiSetEnabled(bool enabled);
    int gimbalGetAttitudeInfo(int16_t& x, int16_t& y, int16_t& z);
    int gimbalSpeedCtrl(double first, double second);
    // Target position of the three axes, and their speeds as fractions of 1.0.
    int gimbalSetSpeedPosition(int16_t x, int16_t y, int16_t z, double speedX, double speedY,
                               double speedZ);
    int gimbalLock(bool lock);
    // Switches on extension-unit selectors 3 to 6.
    int aiSetTargetSelect(bool on);
    int aiGetTargetSelect(bool& on);
    int aiSetGestureCtrl(bool on);
    int aiGetGestureCtrl(bool& on);
    int aiSetGimbalLock(bool lock);
    int aiGetGimbalLock(bool& lock);
    int gimbalReset();

private:
    ControlPort& control_;
    UvcCommand command_;
};

} // namespace pc
} // namespace vesk
