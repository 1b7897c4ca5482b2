#pragma once

#include "uvc/ButtonAction.h"
#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/UvcCommand.h"

#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's parameter records: each setter writes one 60-byte record (id,
// data length, data) on extension-unit selector 6 of the control port; the
// camera reports the values back in its status block. Face focus travels as
// message frames instead. Results 0 or -1; each method tests its own guards.
class ParameterRecords
{
public:
    ParameterRecords(ControlPort& control, MessagePort& channel, UvcCommand::DeviceState state);

    // The enumerations are the camera object's; the record carries their value.
    int cameraSetMediaMode(int mode);
    int cameraSetHdr(bool on);
    int cameraSetFaceAE(int on);
    int cameraSetFov(int fov);
    int cameraSetBgMode(int mode);
    int cameraSetMaskLevel(int level);  // clamped to 0..100
    int cameraSetButtonMode(int mode);
    int cameraSetCustomizeButtonAction(ButtonAction action);
    int cameraSetNoiseCancellation(int on);
    // Seconds before automatic sleep; negative keeps the delay but turns it off.
    int cameraSetSuspendTime(int seconds);
    int cameraSetVerticalMode(int mode);
    int cameraSetAutoFramingMode(int8_t mode, int8_t size);
    int cameraSetImageReplace(int operation, int index);
    int cameraSetBgColor(int color);
    int cameraSetBgEnable(bool enable);  // the record carries the inverse
    int cameraSetPortraitMode(int mode);
    int cameraSetFaceFocus(bool on);
    // Blocking: the camera's face-focus byte, 0 when the exchange fails, -1
    // when refused. GetMethodNonBlock: the send result; the receiver's method
    // gets the byte later.
    int cameraGetFaceFocus(QSharedPointer<QString> method, QObject* receiver,
                           MessagePort::GetMethod getMethod);

private:
    ControlPort& control_;
    UvcCommand command_;
};

} // namespace pc
} // namespace vesk
