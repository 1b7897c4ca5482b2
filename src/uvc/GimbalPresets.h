#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/UvcCommand.h"
#include "uvc/UvcPreSetPosInfo.h"

#include <cstdint>

namespace vesk {
namespace pc {

// The gimbal's stored positions: single 60-byte transfers on extension-unit
// selector 7 of the control port, outside the message queue; refused while
// the camera upgrades.
class GimbalPresets
{
public:
    GimbalPresets(ControlPort& control, MessagePort& channel, UvcCommand::DeviceState state);

    // 0 or -1. A name longer than 49 bytes is refused before sending. A get
    // of a preset the camera does not have gives 0 and sets only the id, to
    // 255; on -1 the record is untouched.
    int presetPositionAdd(UvcPreSetPosInfo* info);
    int presetPositionRemove(uint8_t id);
    int presetPositionTrigger(uint8_t id);
    int presetPositionGet(uint8_t id, UvcPreSetPosInfo* info);

private:
    ControlPort& control_;
    UvcCommand command_;
};

} // namespace pc
} // namespace vesk
