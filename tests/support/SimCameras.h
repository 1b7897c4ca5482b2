#pragma once

// The process's simulated cameras for tests that use the program's own
// camera registry: the backend chosen by the environment, with the demo Orla
// and Zuki, and timing fast enough for a window or a cloud test.

#include "main/BackendChoice.h"
#include "sim/SimBackend.h"
#include "uvc/CameraStatus.h"
#include "uvc/UvcTiming.h"

inline vesk::pc::SimBackend& sim()
{
    return dynamic_cast<vesk::pc::SimBackend&>(vesk::pc::DeviceBackend::instance());
}

// Call first in initTestCase, before the registry is first used.
inline void useSimulatedCameras()
{
    qputenv("ORLACAM_DEVICE_BACKEND", "sim");
    vesk::pc::BackendChoice::install();
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
