#pragma once

namespace vesk {
namespace pc {

// Faults of a camera's upgrade, so a test can break each step. They act on
// one boot of the camera (or every boot) and carry over its reboots.
struct SimUpgradeKnobs
{
    enum class Patch {
        Works,
        Fails,          // the patch command reports failure (status 3)
        NeverFinishes,  // its status stays at working
    };

    int boot = 0;                 // the boot they act on (1: as plugged, 2: after the first reboot); 0: all
    // While the upgrade system runs, its identity says version 0.0.0.0 and
    // names no platform (the table's empty slot), as one left behind by a
    // failed upgrade may.
    bool sparseIdentity = false;
    int failSelector = -1;        // extension-unit selector whose transfers fail ...
    int failAfter = 0;            // ... once this many have gone through
    int refusedPackets = 0;       // upload packets refused as if their CRC were wrong (-1: all)
    Patch patch = Patch::Works;
    bool installStays = false;    // install takes the file, yet the upgrade system keeps running
    int vanishAfterCommand = -1;  // the camera is gone for good once it took this upgrade command
    bool rebootNeverReturns = false;
};

} // namespace pc
} // namespace vesk
