#pragma once

// What the main-window tests share: the simulated backend with timing fast
// enough for a window test, the wire of the run-status command and the device
// button of a serial; the legibility rules come with it.

#include "orlacam/DevButton.h"
#include "orlacam/MainUserUi.h"
#include "support/Legibility.h"
#include "support/SimCameras.h"

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
