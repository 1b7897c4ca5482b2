#pragma once

// What the main-window tests share: the simulated backend with timing fast
// enough for a window test, the wire of the run-status command and the device
// button of a serial; the legibility rules come with it.

#include "orlacam/DevButton.h"
#include "orlacam/MainUserUi.h"
#include "platform/sim/SimBackend.h"
#include "support/Legibility.h"
#include "uvc/CameraStatus.h"
#include "uvc/UvcTiming.h"


inline vesk::pc::SimBackend& sim()
{
    return dynamic_cast<vesk::pc::SimBackend&>(vesk::pc::DeviceBackend::instance());
}

// Call first in initTestCase, before any window exists.
inline void useSimulatedCameras()
{
    qputenv("ORLACAM_DEVICE_BACKEND", "sim");
    qRegisterMetaType<vesk::pc::CameraStatus>("vesk::pc::CameraStatus");
    qRegisterMetaType<vesk::pc::CameraStatus>("CameraStatus");
    vesk::pc::UvcTiming timing;
    timing.passMs = 2;
    timing.statusPollPasses = 10;
    timing.replyWaitMs = 250;
    timing.closeWaitMs = 3000;
    timing.settleBeforeOpenMs = 20;
    timing.settleAfterOpenMs = 100;
    timing.initRetryMs = 20;
    vesk::pc::UvcTiming::setDefaults(timing);
}

// Run-status frames (command 0x13C2, payload 01 and the status) a camera got.
inline int runStatusFrames(uint32_t location, uint8_t status)
{
    int count = 0;
    for (const QByteArray& frame : sim().camera(location)->writtenFrames()) {
        if (frame.size() >= 14 && uint8_t(frame[10]) == 0x13 && uint8_t(frame[11]) == 0xC2
            && frame[12] == 1 && uint8_t(frame[13]) == status)
            ++count;
    }
    return count;
}

inline DevButton* buttonFor(const MainUserUi& window, const QString& sn)
{
    for (DevButton* button : window.devButtons()) {
        if (button->hasDevice() && button->sn() == sn)
            return button;
    }
    return nullptr;
}
